#include "platform/sdl/display_formats.h"

#include <SDL.h>

#include <cstring>

namespace platform {

namespace {

struct NamedFormat {
  uint32_t sdlFormat;
  const char* name;
};

// The X-variants leave the top byte out of the picture, so the plain copy's
// top byte never turns into transparency.
constexpr NamedFormat kFormats[] = {
    {SDL_PIXELFORMAT_RGB888, "32Rgb888"}, {SDL_PIXELFORMAT_BGR888, "32Bgr888"}, {SDL_PIXELFORMAT_BGR24, "24Rgb888"},
    {SDL_PIXELFORMAT_RGB24, "24Bgr888"},  {SDL_PIXELFORMAT_RGB565, "16Rgb565"}, {SDL_PIXELFORMAT_BGR565, "16Bgr565"},
    {SDL_PIXELFORMAT_RGB555, "16Rgb555"}, {SDL_PIXELFORMAT_BGR555, "16Bgr555"},
};

// The format as a DirectDraw-style record: bits per stored pixel, not per
// used bit, so that X8R8G8B8 counts as 32.
bool describe(uint32_t sdlFormat, DisplayPixelFormat* pixelFormat) {
  int bitsPerPixel = 0;
  Uint32 red = 0, green = 0, blue = 0, alpha = 0;
  if (SDL_ISPIXELFORMAT_INDEXED(sdlFormat) || SDL_ISPIXELFORMAT_FOURCC(sdlFormat)) return false;
  if (SDL_PixelFormatEnumToMasks(sdlFormat, &bitsPerPixel, &red, &green, &blue, &alpha) == SDL_FALSE) return false;
  pixelFormat->rgb = true;
  pixelFormat->bitCount = static_cast<uint32_t>(SDL_BYTESPERPIXEL(sdlFormat)) * 8;
  pixelFormat->redMask = red;
  pixelFormat->greenMask = green;
  pixelFormat->blueMask = blue;
  pixelFormat->alphaMask = alpha;
  return true;
}

bool sameChannels(const DisplayPixelFormat& a, const DisplayPixelFormat& b) {
  return a.bitCount == b.bitCount && a.redMask == b.redMask && a.greenMask == b.greenMask && a.blueMask == b.blueMask;
}

SdlDisplayFormat make(const NamedFormat& named) {
  SdlDisplayFormat format;
  format.sdlFormat = named.sdlFormat;
  format.name = named.name;
  describe(named.sdlFormat, &format.pixelFormat);
  return format;
}

}  // namespace

bool sdlDisplayFormatForWindow(uint32_t sdlWindowFormat, SdlDisplayFormat* format) {
  DisplayPixelFormat window;
  if (!describe(sdlWindowFormat, &window)) return false;
  for (const NamedFormat& named : kFormats) {
    const SdlDisplayFormat candidate = make(named);
    if (sameChannels(candidate.pixelFormat, window)) {
      *format = candidate;
      return true;
    }
  }
  return false;
}

bool sdlDisplayFormatNamed(const char* name, SdlDisplayFormat* format) {
  for (const NamedFormat& named : kFormats) {
    if (std::strcmp(named.name, name) == 0) {
      *format = make(named);
      return true;
    }
  }
  return false;
}

SdlDisplayFormat sdlDefaultDisplayFormat() { return make(kFormats[0]); }

}  // namespace platform
