// PNG output for looking at pictures during development.
#pragma once

#include <cstdint>
#include <string>

namespace mkmedia {

bool writePng(const std::string& path, int width, int height, const uint8_t* rgb);

}  // namespace mkmedia
