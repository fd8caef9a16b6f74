#include "png_file.h"

#include <png.h>

#include <cstdio>

namespace mkmedia {

bool writePng(const std::string& path, int width, int height, const uint8_t* rgb) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, rgb, width * 3, nullptr) != 0;
}

bool writePngRgba(const std::string& path, int width, int height, const uint8_t* rgba) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path.c_str(), 0, rgba, width * 4, nullptr) != 0;
}

}  // namespace mkmedia
