// SSSE3 row routines for the byte-order work: one byte shuffle reorders four
// pixels at once. Only called where processorHasSsse3() says so; everything
// in this file is compiled for SSSE3, so nothing here may be shared inline
// with the SSE2 code.
#include "display/pixel_rows.h"

#if PIXELFOLK_SIMD_ROWS

#pragma GCC target("ssse3")

#include <tmmintrin.h>

#include "display/pixel_rules.h"

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

}  // namespace ssse3_rows

#endif
