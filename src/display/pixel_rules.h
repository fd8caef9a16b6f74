// The per-pixel rules every converter follows. Channels are reduced by keeping
// their top bits: no rounding, no dithering. The source's top byte is ignored.
#pragma once

#include <cstdint>
#include <cstring>

namespace pixel_rules {

// Source words go through memcpy so that rows may start at any byte.
inline uint32_t loadWord(const uint32_t* source) {
  uint32_t word;
  std::memcpy(&word, source, sizeof word);
  return word;
}

// Stored byte by byte, least significant first, whatever the processor's
// byte order; compilers merge these into single stores.
inline void storeWord(uint8_t* destination, uint32_t word) {
  destination[0] = static_cast<uint8_t>(word);
  destination[1] = static_cast<uint8_t>(word >> 8);
  destination[2] = static_cast<uint8_t>(word >> 16);
  destination[3] = static_cast<uint8_t>(word >> 24);
}

inline void storeHalf(uint8_t* destination, uint16_t half) {
  destination[0] = static_cast<uint8_t>(half);
  destination[1] = static_cast<uint8_t>(half >> 8);
}

inline uint32_t swapRedBlue(uint32_t pixel) {
  return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

inline uint16_t toRgb565(uint32_t pixel) {
  return static_cast<uint16_t>(((pixel >> 8) & 0xF800) | ((pixel >> 5) & 0x07E0) | ((pixel >> 3) & 0x001F));
}

inline uint16_t toBgr565(uint32_t pixel) {
  return static_cast<uint16_t>(((pixel << 8) & 0xF800) | ((pixel >> 5) & 0x07E0) | ((pixel >> 19) & 0x001F));
}

inline uint16_t toRgb555(uint32_t pixel) {
  return static_cast<uint16_t>(((pixel >> 9) & 0x7C00) | ((pixel >> 6) & 0x03E0) | ((pixel >> 3) & 0x001F));
}

inline uint16_t toBgr555(uint32_t pixel) {
  return static_cast<uint16_t>(((pixel << 7) & 0x7C00) | ((pixel >> 6) & 0x03E0) | ((pixel >> 19) & 0x001F));
}

}  // namespace pixel_rules
