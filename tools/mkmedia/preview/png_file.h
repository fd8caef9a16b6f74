// PNG output: pictures to look at during development, and the desktop icons.
#pragma once

#include <cstdint>
#include <string>

namespace mkmedia {

bool writePng(const std::string& path, int width, int height, const uint8_t* rgb);

// Four bytes a pixel, red, green, blue and straight alpha.
bool writePngRgba(const std::string& path, int width, int height, const uint8_t* rgba);

}  // namespace mkmedia
