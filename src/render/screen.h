// The one framebuffer everything is drawn into: 640 x 480 words 0x00RRGGBB,
// row-major, top row first, pixel (x, y) at word y * 640 + x.
#pragma once

#include <cstdint>

struct Screen {
  static constexpr int width = 640;
  static constexpr int height = 480;
  static constexpr int pixelCount = width * height;

  alignas(64) static uint32_t pixels[pixelCount];

  // Fills every word with one colour; only the low 8 bits of each channel count.
  static void clear(int32_t r, int32_t g, int32_t b);
};
