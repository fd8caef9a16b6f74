#include "jpeg_reader.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace mkmedia {

namespace {

struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void onError(j_common_ptr info) {
  ErrorTrap* trap = reinterpret_cast<ErrorTrap*>(info->err);
  std::longjmp(trap->jump, 1);
}

void onMessage(j_common_ptr) {}  // warnings stay quiet

// Plain C state only between setjmp and longjmp: nothing with a destructor.
bool decode(std::FILE* file, DecodedImage& image) {
  jpeg_decompress_struct info;
  ErrorTrap trap;
  info.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = onError;
  trap.manager.output_message = onMessage;
  if (setjmp(trap.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  image.width = int(info.output_width);
  image.height = int(info.output_height);
  image.components = info.output_components;
  image.pixels.resize(size_t(image.width) * size_t(image.height) * size_t(image.components));
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.pixels.data() + size_t(info.output_scanline) * size_t(image.width) * size_t(image.components);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

bool readJpeg(const std::string& path, DecodedImage& image) {
  image = DecodedImage{};
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  bool ok = decode(file, image);
  std::fclose(file);
  if (!ok) image = DecodedImage{};
  return ok;
}

}  // namespace mkmedia
