#include "imageio/jpeg_writer.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace imageio {
namespace {

// The library's default error handler exits the process; a writer used by
// tools and tests must report failure instead, so errors jump back here.
struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf resume;
};

void jumpBack(j_common_ptr info) {
  auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
  std::longjmp(trap->resume, 1);
}

void ignoreMessage(j_common_ptr) {}

struct Layout {
  int width;
  int height;
  int components;
  J_COLOR_SPACE colourSpace;
};

// No C++ object with a destructor lives in this frame, so longjmp out of the
// library leaves nothing unreleased except the compressor, destroyed below.
bool compress(FILE* file, const Layout& layout, const uint8_t* pixels, const JpegOptions& options) {
  jpeg_compress_struct info;
  ErrorTrap trap;
  info.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = jumpBack;
  trap.manager.output_message = ignoreMessage;
  if (setjmp(trap.resume)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(layout.width);
  info.image_height = static_cast<JDIMENSION>(layout.height);
  info.input_components = layout.components;
  info.in_color_space = layout.colourSpace;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, std::clamp(options.quality, 1, 100), TRUE);
  if (options.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  const size_t rowBytes = static_cast<size_t>(layout.width) * static_cast<size_t>(layout.components);
  while (info.next_scanline < info.image_height) {
    // The library never writes through the row pointer it is given.
    JSAMPROW row = const_cast<JSAMPROW>(pixels + info.next_scanline * rowBytes);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

bool writeFile(const std::string& path, const Layout& layout, const uint8_t* pixels, const JpegOptions& options) {
  constexpr int kMaxSide = 65500;  // the format's own limit on each dimension
  if (pixels == nullptr || path.empty()) return false;
  if (layout.width <= 0 || layout.height <= 0 || layout.width > kMaxSide || layout.height > kMaxSide) return false;

  const std::string temporary = path + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = compress(file, layout, pixels, options);
  ok = (std::fflush(file) == 0) && ok;
  ok = (std::fclose(file) == 0) && ok;
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

}  // namespace

bool writeJpeg(const std::string& path, int width, int height, const uint8_t* rgb, JpegOptions options) {
  return writeFile(path, {width, height, 3, JCS_RGB}, rgb, options);
}

bool writeGreyJpeg(const std::string& path, int width, int height, const uint8_t* grey, JpegOptions options) {
  return writeFile(path, {width, height, 1, JCS_GRAYSCALE}, grey, options);
}

bool writeCmykJpeg(const std::string& path, int width, int height, const uint8_t* cmyk, JpegOptions options) {
  return writeFile(path, {width, height, 4, JCS_CMYK}, cmyk, options);
}

}  // namespace imageio
