// The 16-bit packs of the SSSE3 and AVX2 sets in two multiply-adds per group
// of pixels. With the channels' dropped bits and the top byte masked off, an
// unsigned-by-signed byte multiply-add leaves in each 32-bit lane's low half
// the two channels that share it, already at their distance, and in its high
// half the third one; a 16-bit multiply-add then moves both halves to their
// places and adds them, leaving the 16-bit pixel in bits 8..23 of the lane.
// No sum exceeds 15 bits, so the byte multiply-add never saturates.
#pragma once

#include <cstdint>

namespace sixteen_bit_weights {

struct Weights {
  uint32_t keptBits;       // per pixel word
  int8_t byteWeights[4];   // for bytes B, G, R and the top byte
  int16_t halfWeights[2];  // for the low half (B and G) and the high half (R)

  // As 32-bit lane values, least significant weight first.
  constexpr uint32_t byteLane() const {
    return static_cast<uint8_t>(byteWeights[0]) | static_cast<uint32_t>(static_cast<uint8_t>(byteWeights[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(byteWeights[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(byteWeights[3])) << 24;
  }
  constexpr uint32_t halfLane() const {
    return static_cast<uint16_t>(halfWeights[0]) | static_cast<uint32_t>(static_cast<uint16_t>(halfWeights[1])) << 16;
  }
};

// Red on top: low half (G6 << 5 | B5) << 3 times 32, high half R5 << 9 times 1024.
inline constexpr Weights kRgb565{0x00F8FCF8, {1, 64, 64, 0}, {32, 1024}};
// Blue on top: low half (B5 << 11 | G6 << 5) >> 3 times 2048, high half R5 << 3 times 32.
inline constexpr Weights kBgr565{0x00F8FCF8, {32, 1, 1, 0}, {2048, 32}};
// Red on top: low half (G5 << 5 | B5) << 3 times 32, high half R5 << 9 times 512.
inline constexpr Weights kRgb555{0x00F8F8F8, {1, 32, 64, 0}, {32, 512}};
// Blue on top: low half (B5 << 10 | G5 << 5) >> 2 times 1024, high half R5 << 3 times 32.
inline constexpr Weights kBgr555{0x00F8F8F8, {32, 1, 1, 0}, {1024, 32}};

}  // namespace sixteen_bit_weights
