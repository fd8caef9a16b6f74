#pragma once

#include <cstdint>
#include <string>

namespace imageio {

struct JpegOptions {
  int quality = 90;  // 1..100, clamped
  bool progressive = false;
};

// Encodes width x height pixels, rows top first, without gaps between rows.
// Each writer returns false on any failure and leaves no file behind: the
// data goes to "<path>.tmp" first and is renamed into place when complete.

// 3 bytes per pixel: red, green, blue.
bool writeJpeg(const std::string& path, int width, int height, const uint8_t* rgb, JpegOptions options = {});

// 1 byte per pixel: a single-component (greyscale) file.
bool writeGreyJpeg(const std::string& path, int width, int height, const uint8_t* grey, JpegOptions options = {});

// 4 bytes per pixel: cyan, magenta, yellow, black, stored as a 4-component file.
bool writeCmykJpeg(const std::string& path, int width, int height, const uint8_t* cmyk, JpegOptions options = {});

}  // namespace imageio
