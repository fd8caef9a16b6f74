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

// The 16-bit packs: red and blue, both 5 bits, come down by 3 bits together,
// blue into each lane's low half and red into its high half, where one 16-bit
// multiply-add sets each at its place and adds them; green takes a shift and a
// mask. Eight pixels' lanes then go through the signed saturating pack, which
// keeps values below 0x8000 as they are: the 5-5-5 results always are, the
// 5-6-5 ones are first moved down by 0x8000 and their top bit flipped back
// after the pack.
template <uint32_t halfWeights, int greenShift, uint32_t greenBits>
inline __m128i sixteenBitLanes(__m128i pixels) {
  const __m128i redAndBlue = _mm_and_si128(_mm_srli_epi32(pixels, 3), lanes(0x001F001F));
  const __m128i green = _mm_and_si128(_mm_srli_epi32(pixels, greenShift), lanes(greenBits));
  return _mm_or_si128(_mm_madd_epi16(redAndBlue, lanes(halfWeights)), green);
}

// The multiply-add's weights, red's in the high half and blue's in the low one.
constexpr uint32_t kRedOnTop565 = 0x0800'0001;
constexpr uint32_t kBlueOnTop565 = 0x0001'0800;
constexpr uint32_t kRedOnTop555 = 0x0400'0001;
constexpr uint32_t kBlueOnTop555 = 0x0001'0400;

template <uint32_t halfWeights, int greenShift, uint32_t greenBits, bool usesBit15>
inline void pack16Row(uint8_t* destination, const uint32_t* source, size_t count, uint16_t (*rule)(uint32_t)) {
  const __m128i bias = lanes(usesBit15 ? 0x8000 : 0);
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i low = sixteenBitLanes<halfWeights, greenShift, greenBits>(load4(source + i));
    const __m128i high = sixteenBitLanes<halfWeights, greenShift, greenBits>(load4(source + i + 4));
    __m128i packed;
    if constexpr (usesBit15) {
      packed = _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(low, bias), _mm_sub_epi32(high, bias)), lanes(0x80008000));
    } else {
      packed = _mm_packs_epi32(low, high);
    }
    store16(destination + 2 * i, packed);
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
  pack16Row<kRedOnTop565, 5, 0x07E0, true>(destination, source, count, toRgb565);
}

void pack565Swapped(uint8_t* destination, const uint32_t* source, size_t count) {
  pack16Row<kBlueOnTop565, 5, 0x07E0, true>(destination, source, count, toBgr565);
}

void pack555(uint8_t* destination, const uint32_t* source, size_t count) {
  pack16Row<kRedOnTop555, 6, 0x03E0, false>(destination, source, count, toRgb555);
}

void pack555Swapped(uint8_t* destination, const uint32_t* source, size_t count) {
  pack16Row<kBlueOnTop555, 6, 0x03E0, false>(destination, source, count, toBgr555);
}

}  // namespace sse2_rows

#endif
