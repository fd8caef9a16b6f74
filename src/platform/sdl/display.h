// The display device of the show, on SDL2: a borderless window covering the
// desktop (or, when asked, an ordinary window of a given size), a renderer
// that scales the picture to fill it with its aspect kept, and a streaming
// texture in the display's own pixel format as back buffer.
//
// The display format is the window's native format when it is one of the
// eight the converters serve, else 32-bit 0xFF0000/0xFF00/0xFF. The
// environment variable PIXELFOLK_DISPLAY_FORMAT forces one of them by its
// converter's suffix: 32Rgb888, 32Bgr888, 24Rgb888, 24Bgr888, 16Rgb565,
// 16Bgr565, 16Rgb555 or 16Bgr555.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/display_device.h"

namespace platform {

// The picture as the display would put it on the screen now, read back from
// the renderer in the display's pixel format: the area the picture covers
// (without black bars), rows top first without gaps.
struct DisplayReadBack {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bytesPerPixel = 0;
  std::vector<uint8_t> pixels;
};

bool readBackSdlDisplay(DisplayReadBack* picture);

}  // namespace platform
