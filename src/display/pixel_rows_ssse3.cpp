// SSSE3 row routines: one byte shuffle reorders four pixels at once, and the
// byte multiply-add packs the 16-bit formats in two multiplies. Only called
// where platform::processorHasSsse3() says so. The code below the headers is compiled
// for SSSE3 (GCC's pragma, clang's attribute on every function), so nothing
// defined here may be shared inline with the SSE2 code.
#include "display/pixel_rows.h"

#if PIXELFOLK_SIMD_ROWS

#include <tmmintrin.h>

#include "display/pixel_rules.h"
#include "display/sixteen_bit_weights.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("ssse3"))), apply_to = function)
#else
#pragma GCC target("ssse3")
#endif

namespace ssse3_rows {

namespace {

using namespace pixel_rules;

inline __m128i load4(const uint32_t* source) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(source)); }

inline void store16(uint8_t* destination, __m128i bytes) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(destination), bytes);
}

// Shuffle masks: result byte i takes source byte mask[i]; -1 gives zero.
inline __m128i swapRedBlueMask() { return _mm_setr_epi8(2, 1, 0, -1, 6, 5, 4, -1, 10, 9, 8, -1, 14, 13, 12, -1); }
inline __m128i keepLowThreeMask() { return _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1); }
inline __m128i swapLowThreeMask() { return _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1); }

// Sixteen pixels, each shuffled to 3 bytes in 12-byte pieces, stored as three 16-byte blocks.
inline void store48(uint8_t* destination, const uint32_t* source, __m128i mask) {
  const __m128i a = _mm_shuffle_epi8(load4(source), mask);
  const __m128i b = _mm_shuffle_epi8(load4(source + 4), mask);
  const __m128i c = _mm_shuffle_epi8(load4(source + 8), mask);
  const __m128i d = _mm_shuffle_epi8(load4(source + 12), mask);
  store16(destination, _mm_or_si128(a, _mm_slli_si128(b, 12)));
  store16(destination + 16, _mm_or_si128(_mm_srli_si128(b, 4), _mm_slli_si128(c, 8)));
  store16(destination + 32, _mm_or_si128(_mm_srli_si128(c, 8), _mm_slli_si128(d, 4)));
}

inline __m128i lanes(uint32_t value) { return _mm_set1_epi32(static_cast<int32_t>(value)); }

// Four pixels' 16-bit values, each in bits 8..23 of its lane.
inline __m128i sixteenBitLanes(__m128i pixels, const sixteen_bit_weights::Weights& weights) {
  const __m128i kept = _mm_and_si128(pixels, lanes(weights.keptBits));
  return _mm_madd_epi16(_mm_maddubs_epi16(kept, lanes(weights.byteLane())), lanes(weights.halfLane()));
}

// Eight pixels per step: bytes 1 and 2 of each lane shuffled together, the
// first four pixels into the low eight bytes and the next four into the high.
inline void pack16Row(uint8_t* destination, const uint32_t* source, size_t count,
                      const sixteen_bit_weights::Weights& weights, uint16_t (*rule)(uint32_t)) {
  const __m128i toLow = _mm_setr_epi8(1, 2, 5, 6, 9, 10, 13, 14, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i toHigh = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 5, 6, 9, 10, 13, 14);
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i low = _mm_shuffle_epi8(sixteenBitLanes(load4(source + i), weights), toLow);
    const __m128i high = _mm_shuffle_epi8(sixteenBitLanes(load4(source + i + 4), weights), toHigh);
    store16(destination + 2 * i, _mm_or_si128(low, high));
  }
  for (; i < count; ++i) storeHalf(destination + 2 * i, rule(loadWord(source + i)));
}

}  // namespace

void swap32(uint8_t* destination, const uint32_t* source, size_t count) {
  const __m128i mask = swapRedBlueMask();
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    store16(destination + 4 * i, _mm_shuffle_epi8(load4(source + i), mask));
    store16(destination + 4 * i + 16, _mm_shuffle_epi8(load4(source + i + 4), mask));
  }
  for (; i < count; ++i) storeWord(destination + 4 * i, swapRedBlue(loadWord(source + i)));
}

void pack24(uint8_t* destination, const uint32_t* source, size_t count) {
  size_t i = 0;
  for (; i + 16 <= count; i += 16) store48(destination + 3 * i, source + i, keepLowThreeMask());
  for (; i < count; ++i) {
    const uint32_t pixel = loadWord(source + i);
    destination[3 * i + 0] = static_cast<uint8_t>(pixel);
    destination[3 * i + 1] = static_cast<uint8_t>(pixel >> 8);
    destination[3 * i + 2] = static_cast<uint8_t>(pixel >> 16);
  }
}

void pack24Swapped(uint8_t* destination, const uint32_t* source, size_t count) {
  size_t i = 0;
  for (; i + 16 <= count; i += 16) store48(destination + 3 * i, source + i, swapLowThreeMask());
  for (; i < count; ++i) {
    const uint32_t pixel = loadWord(source + i);
    destination[3 * i + 0] = static_cast<uint8_t>(pixel >> 16);
    destination[3 * i + 1] = static_cast<uint8_t>(pixel >> 8);
    destination[3 * i + 2] = static_cast<uint8_t>(pixel);
  }
}

void pack565(uint8_t* destination, const uint32_t* source, size_t count) {
  pack16Row(destination, source, count, sixteen_bit_weights::kRgb565, toRgb565);
}

void pack565Swapped(uint8_t* destination, const uint32_t* source, size_t count) {
  pack16Row(destination, source, count, sixteen_bit_weights::kBgr565, toBgr565);
}

void pack555(uint8_t* destination, const uint32_t* source, size_t count) {
  pack16Row(destination, source, count, sixteen_bit_weights::kRgb555, toRgb555);
}

void pack555Swapped(uint8_t* destination, const uint32_t* source, size_t count) {
  pack16Row(destination, source, count, sixteen_bit_weights::kBgr555, toBgr555);
}

}  // namespace ssse3_rows

#if defined(__clang__)
#pragma clang attribute pop
#endif

#endif
