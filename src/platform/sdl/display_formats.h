// The eight display formats as SDL pixel formats, matched by bit count and
// channel masks, so that the result does not depend on SDL's naming or on the
// processor's byte order.
#pragma once

#include <cstdint>

#include "platform/display_device.h"

namespace platform {

struct SdlDisplayFormat {
  uint32_t sdlFormat = 0;  // an SDL_PIXELFORMAT_* value
  const char* name = "";   // the converter's suffix, e.g. "16Rgb565"
  DisplayPixelFormat pixelFormat;
};

// The format a window of this SDL pixel format shows without conversion, or
// false when it is none of the eight. The alpha mask is not looked at.
bool sdlDisplayFormatForWindow(uint32_t sdlWindowFormat, SdlDisplayFormat* format);

// The format with this name, or false.
bool sdlDisplayFormatNamed(const char* name, SdlDisplayFormat* format);

// 32 bits, red 0xFF0000, green 0xFF00, blue 0xFF: what every display shows.
SdlDisplayFormat sdlDefaultDisplayFormat();

}  // namespace platform
