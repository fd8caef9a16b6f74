// The destination pixel of each format, straight from its byte layout, kept
// apart from the converters' mask-and-shift arithmetic so the two can check
// each other.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "display/pixel_converters.h"

struct ReferenceFormat {
  std::string name;  // the converter's suffix
  uint32_t bitCount;
  uint32_t redMask;
  uint32_t greenMask;
  uint32_t blueMask;
  PixelConverter converter;
  int bytesPerPixel;
  std::array<uint8_t, 4> (*pixel)(uint32_t source);
};

namespace reference {

struct Channels {
  uint32_t r, g, b, top;
};

inline Channels split(uint32_t p) { return {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF, p >> 24}; }

inline std::array<uint8_t, 4> bytes(uint32_t b0, uint32_t b1, uint32_t b2 = 0, uint32_t b3 = 0) {
  return {static_cast<uint8_t>(b0), static_cast<uint8_t>(b1), static_cast<uint8_t>(b2), static_cast<uint8_t>(b3)};
}

inline std::array<uint8_t, 4> half(uint32_t value) { return bytes(value & 0xFF, value >> 8); }

inline std::array<uint8_t, 4> rgb888(uint32_t p) {
  const Channels c = split(p);
  return bytes(c.b, c.g, c.r, c.top);
}
inline std::array<uint8_t, 4> bgr888(uint32_t p) {
  const Channels c = split(p);
  return bytes(c.r, c.g, c.b, 0);
}
inline std::array<uint8_t, 4> rgb24(uint32_t p) {
  const Channels c = split(p);
  return bytes(c.b, c.g, c.r);
}
inline std::array<uint8_t, 4> bgr24(uint32_t p) {
  const Channels c = split(p);
  return bytes(c.r, c.g, c.b);
}
inline std::array<uint8_t, 4> rgb565(uint32_t p) {
  const Channels c = split(p);
  return half((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3));
}
inline std::array<uint8_t, 4> bgr565(uint32_t p) {
  const Channels c = split(p);
  return half((c.b >> 3) << 11 | (c.g >> 2) << 5 | (c.r >> 3));
}
inline std::array<uint8_t, 4> rgb555(uint32_t p) {
  const Channels c = split(p);
  return half((c.r >> 3) << 10 | (c.g >> 3) << 5 | (c.b >> 3));
}
inline std::array<uint8_t, 4> bgr555(uint32_t p) {
  const Channels c = split(p);
  return half((c.b >> 3) << 10 | (c.g >> 3) << 5 | (c.r >> 3));
}

}  // namespace reference

inline const std::array<ReferenceFormat, 8>& referenceFormats() {
  static const std::array<ReferenceFormat, 8> formats = {{
      {"32Rgb888", 32, 0xFF0000, 0xFF00, 0xFF, convert32Rgb888, 4, reference::rgb888},
      {"32Bgr888", 32, 0xFF, 0xFF00, 0xFF0000, convert32Bgr888, 4, reference::bgr888},
      {"24Rgb888", 24, 0xFF0000, 0xFF00, 0xFF, convert24Rgb888, 3, reference::rgb24},
      {"24Bgr888", 24, 0xFF, 0xFF00, 0xFF0000, convert24Bgr888, 3, reference::bgr24},
      {"16Rgb565", 16, 0xF800, 0x7E0, 0x1F, convert16Rgb565, 2, reference::rgb565},
      {"16Bgr565", 16, 0x1F, 0x7E0, 0xF800, convert16Bgr565, 2, reference::bgr565},
      {"16Rgb555", 16, 0x7C00, 0x3E0, 0x1F, convert16Rgb555, 2, reference::rgb555},
      {"16Bgr555", 16, 0x1F, 0x3E0, 0x7C00, convert16Bgr555, 2, reference::bgr555},
  }};
  return formats;
}
