// A decoded picture: 3 bytes per pixel (red, green, blue), rows top first with
// no gap, pixel (x, y) at byte y * rowStride + 3 * x.
#pragma once

#include <cstdint>
#include <vector>

struct Image {
  int32_t rowStride = 0;  // bytes from one row to the next: 3 * width
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;  // rowStride * height bytes
};
