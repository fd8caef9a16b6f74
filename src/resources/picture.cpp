#include "resources/picture.h"

#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "resources/error_message.h"

namespace {

// Every blit and the font read three bytes per pixel. Greyscale files are
// expanded to RGB by the decoder; anything else that is not already
// three-component (CMYK, YCCK) is refused.
bool selectRgbOutput(jpeg_decompress_struct& decoder) {
  if (decoder.jpeg_color_space == JCS_GRAYSCALE) {
    decoder.out_color_space = JCS_RGB;
    return true;
  }
  return decoder.num_components == 3 && decoder.out_color_space == JCS_RGB;
}

// Decodes straight into the image's buffer: the row table lets the library
// fill as many rows per call as it likes, with no copy afterwards.
bool decode(jpeg_decompress_struct& decoder, Image& image) {
  jpeg_read_header(&decoder, TRUE);
  if (!selectRgbOutput(decoder)) return false;
  jpeg_start_decompress(&decoder);
  if (decoder.output_components != 3) return false;

  image.width = static_cast<int32_t>(decoder.output_width);
  image.height = static_cast<int32_t>(decoder.output_height);
  image.rowStride = decoder.output_components * image.width;
  image.pixels.resize(static_cast<size_t>(image.rowStride) * static_cast<size_t>(image.height));

  std::vector<JSAMPROW> rows(static_cast<size_t>(image.height));
  for (size_t r = 0; r < rows.size(); ++r) rows[r] = image.pixels.data() + r * static_cast<size_t>(image.rowStride);

  JDIMENSION linesRead = 0;
  while (decoder.output_scanline < decoder.output_height) {
    linesRead += jpeg_read_scanlines(&decoder, rows.data() + linesRead, decoder.output_height - linesRead);
  }
  jpeg_finish_decompress(&decoder);
  return true;
}

}  // namespace

Picture::Picture() = default;

Picture::Picture(const char* path, int32_t resourceIndex) { load(path, resourceIndex); }

void Picture::load(const char* path, int32_t index) {
  resourceIndex = index;
  image.reset();

  FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
  if (file == nullptr) {
    resources::showError("Couldn't load the image %s.", path != nullptr ? path : "");
    return;
  }

  // The standard error manager: a fatal decoder error prints the library's
  // message and ends the process with exit code 1; warnings (such as a file
  // that ends early) are printed and decoding goes on with filler data.
  jpeg_decompress_struct decoder;
  jpeg_error_mgr errors;
  decoder.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&decoder);
  jpeg_stdio_src(&decoder, file);

  auto decoded = std::make_unique<Image>();
  const bool usable = decode(decoder, *decoded);
  jpeg_destroy_decompress(&decoder);
  std::fclose(file);

  if (!usable) {
    resources::showError("Couldn't load the image %s.", path);
    return;
  }
  image = std::move(decoded);
}

void Picture::release() { image.reset(); }
