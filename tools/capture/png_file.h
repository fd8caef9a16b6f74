// Writes framebuffer frames as PNG files.
#pragma once

#include <cstdint>
#include <string>

// Writes a 640 x 480 frame of 0x00RRGGBB words as an 8-bit RGB PNG; the top
// byte carries no colour and is dropped, as the display does. Fast
// compression: a capture writes thousands of these.
bool writeFramePng(const std::string& path, const uint32_t* pixels, int width, int height, std::string* error);
