// SSE2 row routines: every x86-64 processor has SSE2, so no feature test is
// needed. Each routine converts whole groups of pixels with unaligned loads
// and stores, then finishes the row by the per-pixel rule, so no load ever
// reaches past the row's last source word and no store past its last pixel.
#include "display/pixel_rows.h"

#if PIXELFOLK_SIMD_ROWS

#include <emmintrin.h>

#include "display/pixel_rules.h"

namespace sse2_rows {

namespace {

using namespace pixel_rules;

inline __m128i load4(const uint32_t* source) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(source)); }

inline void store16(uint8_t* destination, __m128i bytes) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(destination), bytes);
}

inline __m128i lanes(uint32_t value) { return _mm_set1_epi32(static_cast<int32_t>(value)); }

// (B << 16) | (G << 8) | R in each 32-bit lane, top byte cleared.
inline __m128i swapRedBlueLanes(__m128i pixels) {
  const __m128i red = _mm_and_si128(_mm_srli_epi32(pixels, 16), lanes(0xFF));
  const __m128i green = _mm_and_si128(pixels, lanes(0xFF00));
  const __m128i blue = _mm_and_si128(_mm_slli_epi32(pixels, 16), lanes(0xFF0000));
  return _mm_or_si128(_mm_or_si128(red, green), blue);
}

// Four pixels (16 bytes) into their low three bytes each, packed into bytes
// 0..11; bytes 12..15 are zero. Each 64-bit half first joins its two pixels
// into 6 bytes, then the upper half's 6 bytes move next to the lower's.
inline __m128i packLowThreeBytes(__m128i pixels) {
  const __m128i firstPixel = _mm_and_si128(pixels, _mm_set1_epi64x(0x0000000000FFFFFF));
  const __m128i secondPixel = _mm_and_si128(_mm_srli_epi64(pixels, 8), _mm_set1_epi64x(0x0000FFFFFF000000));
  const __m128i pairs = _mm_or_si128(firstPixel, secondPixel);
  const __m128i lowPair = _mm_move_epi64(pairs);
  const __m128i highPair = _mm_slli_si128(_mm_srli_si128(pairs, 8), 6);
  return _mm_or_si128(lowPair, highPair);
}

// Sixteen pixels as four 12-byte pieces, stored as three 16-byte blocks.
template <class PrepareLanes>
inline void store48(uint8_t* destination, const uint32_t* source, PrepareLanes prepare) {
  const __m128i a = packLowThreeBytes(prepare(load4(source)));
  const __m128i b = packLowThreeBytes(prepare(load4(source + 4)));
  const __m128i c = packLowThreeBytes(prepare(load4(source + 8)));
  const __m128i d = packLowThreeBytes(prepare(load4(source + 12)));
  store16(destination, _mm_or_si128(a, _mm_slli_si128(b, 12)));
  store16(destination + 16, _mm_or_si128(_mm_srli_si128(b, 4), _mm_slli_si128(c, 8)));
  store16(destination + 32, _mm_or_si128(_mm_srli_si128(c, 8), _mm_slli_si128(d, 4)));
}

inline __m128i keepLanes(__m128i pixels) { return pixels; }

// The 16-bit formats' lanes hold their result sign-extended from 16 to 32
// bits, so that the signed saturating pack gives back exactly those 16 bits.
// The 5-5-5 results never reach bit 15; the 5-6-5 ones get their top field
// from an arithmetic shift, which copies its top bit upwards by itself.
inline __m128i topFieldFromBits24To31(__m128i shifted) {
  return _mm_and_si128(_mm_srai_epi32(shifted, 16), lanes(0xFFFFF800));
}

inline __m128i rgb565Lanes(__m128i pixels) {
  const __m128i red = topFieldFromBits24To31(_mm_slli_epi32(pixels, 8));
  const __m128i green = _mm_and_si128(_mm_srli_epi32(pixels, 5), lanes(0x07E0));
  const __m128i blue = _mm_and_si128(_mm_srli_epi32(pixels, 3), lanes(0x001F));
  return _mm_or_si128(_mm_or_si128(red, green), blue);
}

inline __m128i bgr565Lanes(__m128i pixels) {
  const __m128i blue = topFieldFromBits24To31(_mm_slli_epi32(pixels, 24));
  const __m128i green = _mm_and_si128(_mm_srli_epi32(pixels, 5), lanes(0x07E0));
  const __m128i red = _mm_and_si128(_mm_srli_epi32(pixels, 19), lanes(0x001F));
  return _mm_or_si128(_mm_or_si128(blue, green), red);
}

inline __m128i rgb555Lanes(__m128i pixels) {
  const __m128i red = _mm_and_si128(_mm_srli_epi32(pixels, 9), lanes(0x7C00));
  const __m128i green = _mm_and_si128(_mm_srli_epi32(pixels, 6), lanes(0x03E0));
  const __m128i blue = _mm_and_si128(_mm_srli_epi32(pixels, 3), lanes(0x001F));
  return _mm_or_si128(_mm_or_si128(red, green), blue);
}

inline __m128i bgr555Lanes(__m128i pixels) {
  const __m128i blue = _mm_and_si128(_mm_slli_epi32(pixels, 7), lanes(0x7C00));
  const __m128i green = _mm_and_si128(_mm_srli_epi32(pixels, 6), lanes(0x03E0));
  const __m128i red = _mm_and_si128(_mm_srli_epi32(pixels, 19), lanes(0x001F));
  return _mm_or_si128(_mm_or_si128(blue, green), red);
}

// Eight pixels per step into eight 16-bit values, the rest by the rule.
template <class ToLanes>
inline void pack16Row(uint8_t* destination, const uint32_t* source, size_t count, ToLanes toLanes,
                      uint16_t (*rule)(uint32_t)) {
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    store16(destination + 2 * i, _mm_packs_epi32(toLanes(load4(source + i)), toLanes(load4(source + i + 4))));
  }
  for (; i < count; ++i) storeHalf(destination + 2 * i, rule(loadWord(source + i)));
}

}  // namespace

void swap32(uint8_t* destination, const uint32_t* source, size_t count) {
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    store16(destination + 4 * i, swapRedBlueLanes(load4(source + i)));
    store16(destination + 4 * i + 16, swapRedBlueLanes(load4(source + i + 4)));
  }
  for (; i < count; ++i) storeWord(destination + 4 * i, swapRedBlue(loadWord(source + i)));
}

void pack24(uint8_t* destination, const uint32_t* source, size_t count) {
  size_t i = 0;
  for (; i + 16 <= count; i += 16) store48(destination + 3 * i, source + i, keepLanes);
  for (; i < count; ++i) {
    const uint32_t pixel = loadWord(source + i);
    destination[3 * i + 0] = static_cast<uint8_t>(pixel);
    destination[3 * i + 1] = static_cast<uint8_t>(pixel >> 8);
    destination[3 * i + 2] = static_cast<uint8_t>(pixel >> 16);
  }
}

void pack24Swapped(uint8_t* destination, const uint32_t* source, size_t count) {
  size_t i = 0;
  for (; i + 16 <= count; i += 16) store48(destination + 3 * i, source + i, swapRedBlueLanes);
  for (; i < count; ++i) {
    const uint32_t pixel = loadWord(source + i);
    destination[3 * i + 0] = static_cast<uint8_t>(pixel >> 16);
    destination[3 * i + 1] = static_cast<uint8_t>(pixel >> 8);
    destination[3 * i + 2] = static_cast<uint8_t>(pixel);
  }
}

void pack565(uint8_t* destination, const uint32_t* source, size_t count) {
  pack16Row(destination, source, count, rgb565Lanes, toRgb565);
}

void pack565Swapped(uint8_t* destination, const uint32_t* source, size_t count) {
  pack16Row(destination, source, count, bgr565Lanes, toBgr565);
}

void pack555(uint8_t* destination, const uint32_t* source, size_t count) {
  pack16Row(destination, source, count, rgb555Lanes, toRgb555);
}

void pack555Swapped(uint8_t* destination, const uint32_t* source, size_t count) {
  pack16Row(destination, source, count, bgr555Lanes, toBgr555);
}

}  // namespace sse2_rows

bool processorHasSsse3() {
  static const bool hasSsse3 = __builtin_cpu_supports("ssse3");
  return hasSsse3;
}

#endif
