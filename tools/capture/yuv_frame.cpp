#include "yuv_frame.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <vector>

#if defined(__x86_64__) && defined(__SSE2__)
#include <emmintrin.h>
#define PIXELFOLK_YUV_SSE2 1
#else
#define PIXELFOLK_YUV_SSE2 0
#endif

namespace {

// BT.601 in limited range, scaled by 2^16: Y = 16 + (65.481 R + 128.553 G +
// 24.966 B) / 255, Cb = 128 + (-37.797 R - 74.203 G + 112 B) / 255, Cr = 128 +
// (112 R - 93.786 G - 18.214 B) / 255.
constexpr int kShift = 16;
constexpr int kYR = 16829, kYG = 33039, kYB = 6416;
constexpr int kUR = -9714, kUG = -19070, kUB = 28784;
constexpr int kVR = 28784, kVG = -24103, kVB = -4681;
constexpr int kHalf = 1 << (kShift - 1);
// A chroma sample sums four pixels: the average's division joins the shift,
// and the 128 offset goes in before it, as a multiple of the divisor.
constexpr int kChromaShift = kShift + 2;
constexpr int kChromaBias = 4 * kHalf + (128 << kChromaShift);

inline int red(uint32_t p) { return static_cast<int>(p >> 16 & 0xFF); }
inline int green(uint32_t p) { return static_cast<int>(p >> 8 & 0xFF); }
inline int blue(uint32_t p) { return static_cast<int>(p & 0xFF); }

#if PIXELFOLK_YUV_SSE2

constexpr int kBlock = 16;  // pixels per step: 16 luma bytes, 8 of each chroma

inline __m128i load4(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Four pixels' luma less 16, one per 32-bit lane. The multiply-add takes
// 16-bit words: blue and red pair up as they lie, and green, whose
// coefficient is too large for a signed word, is doubled into both words of
// its lane with the coefficient split in two.
inline __m128i lumaLanes(__m128i p) {
  const __m128i blueRed = _mm_and_si128(p, _mm_set1_epi32(0x00FF00FF));
  const __m128i g = _mm_and_si128(_mm_srli_epi32(p, 8), _mm_set1_epi32(0xFF));
  const __m128i greenGreen = _mm_or_si128(g, _mm_slli_epi32(g, 16));
  const __m128i sum = _mm_add_epi32(_mm_madd_epi16(blueRed, _mm_set1_epi32(kYR << 16 | kYB)),
                                    _mm_madd_epi16(greenGreen, _mm_set1_epi32((kYG - kYG / 2) << 16 | kYG / 2)));
  return _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(kHalf)), kShift);
}

void lumaBlock(const uint32_t* row, uint8_t* out) {
  const __m128i low = _mm_packs_epi32(lumaLanes(load4(row)), lumaLanes(load4(row + 4)));
  const __m128i high = _mm_packs_epi32(lumaLanes(load4(row + 8)), lumaLanes(load4(row + 12)));
  const __m128i bytes = _mm_add_epi8(_mm_packus_epi16(low, high), _mm_set1_epi8(16));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
}

// Channel sums of two chroma samples, from four pixels of two rows, as
// words B G R x | B G R x; x, the unused byte's sum, meets a zero coefficient.
inline __m128i pairSums(const uint32_t* top, const uint32_t* bottom) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i t = load4(top), b = load4(bottom);
  const __m128i first = _mm_add_epi16(_mm_unpacklo_epi8(t, zero), _mm_unpacklo_epi8(b, zero));
  const __m128i second = _mm_add_epi16(_mm_unpackhi_epi8(t, zero), _mm_unpackhi_epi8(b, zero));
  return _mm_add_epi16(_mm_unpacklo_epi64(first, second), _mm_unpackhi_epi64(first, second));
}

// Four chroma samples from two pairs' sums, one per 32-bit lane, in order.
// The multiply-add leaves each sample in two lanes (B and G, R and x); the
// float shuffles only move bits, to add the halves.
inline __m128i chromaLanes(__m128i sumsA, __m128i sumsB, __m128i coefficients) {
  const __m128 a = _mm_castsi128_ps(_mm_madd_epi16(sumsA, coefficients));
  const __m128 b = _mm_castsi128_ps(_mm_madd_epi16(sumsB, coefficients));
  const __m128i evens = _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
  const __m128i odds = _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
  return _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(evens, odds), _mm_set1_epi32(kChromaBias)), kChromaShift);
}

inline void storeEight(uint8_t* out, __m128i low, __m128i high) {
  const __m128i words = _mm_packs_epi32(low, high);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, words));
}

void chromaBlock(const uint32_t* top, const uint32_t* bottom, uint8_t* u, uint8_t* v) {
  const __m128i s0 = pairSums(top, bottom), s1 = pairSums(top + 4, bottom + 4);
  const __m128i s2 = pairSums(top + 8, bottom + 8), s3 = pairSums(top + 12, bottom + 12);
  const __m128i uCoefficients = _mm_setr_epi16(kUB, kUG, kUR, 0, kUB, kUG, kUR, 0);
  const __m128i vCoefficients = _mm_setr_epi16(kVB, kVG, kVR, 0, kVB, kVG, kVR, 0);
  storeEight(u, chromaLanes(s0, s1, uCoefficients), chromaLanes(s2, s3, uCoefficients));
  storeEight(v, chromaLanes(s0, s1, vCoefficients), chromaLanes(s2, s3, vCoefficients));
}

#endif

}  // namespace

namespace yuv_rules {

uint8_t luma(uint32_t p) {
  return static_cast<uint8_t>(16 + ((kYR * red(p) + kYG * green(p) + kYB * blue(p) + kHalf) >> kShift));
}

uint8_t blueDifference(int sumRed, int sumGreen, int sumBlue) {
  return static_cast<uint8_t>((kUR * sumRed + kUG * sumGreen + kUB * sumBlue + kChromaBias) >> kChromaShift);
}

uint8_t redDifference(int sumRed, int sumGreen, int sumBlue) {
  return static_cast<uint8_t>((kVR * sumRed + kVG * sumGreen + kVB * sumBlue + kChromaBias) >> kChromaShift);
}

}  // namespace yuv_rules

size_t yuv420Size(int width, int height) {
  const size_t chroma = static_cast<size_t>((width + 1) / 2) * static_cast<size_t>((height + 1) / 2);
  return static_cast<size_t>(width) * static_cast<size_t>(height) + 2 * chroma;
}

namespace {

void lumaRow(const uint32_t* row, int width, uint8_t* out) {
  int x = 0;
#if PIXELFOLK_YUV_SSE2
  for (; x + kBlock <= width; x += kBlock) lumaBlock(row + x, out + x);
#endif
  for (; x < width; ++x) out[x] = yuv_rules::luma(row[x]);
}

void chromaRow(const uint32_t* top, const uint32_t* bottom, int width, uint8_t* u, uint8_t* v) {
  int x0 = 0;
#if PIXELFOLK_YUV_SSE2
  for (; x0 + kBlock <= width; x0 += kBlock) chromaBlock(top + x0, bottom + x0, u + x0 / 2, v + x0 / 2);
#endif
  for (; x0 < width; x0 += 2) {
    const int x1 = x0 + 1 < width ? x0 + 1 : x0;
    int r = 0, g = 0, b = 0;
    for (const uint32_t p : {top[x0], top[x1], bottom[x0], bottom[x1]}) {
      r += red(p);
      g += green(p);
      b += blue(p);
    }
    u[x0 / 2] = yuv_rules::blueDifference(r, g, b);
    v[x0 / 2] = yuv_rules::redDifference(r, g, b);
  }
}

}  // namespace

void convertToYuv420(const uint32_t* pixels, int width, int height, uint8_t* out) {
  convertToYuv420Scaled(pixels, width, height, 1, out);
}

// A scaled frame is converted row by row from its source rows widened, so
// it gives the same bytes as the widened frame would; an output row equal to
// the one before it (N - 1 of every N luma rows) is copied, not computed again.
void convertToYuv420Scaled(const uint32_t* pixels, int width, int height, int scale, uint8_t* out) {
  const int outWidth = width * scale, outHeight = height * scale;
  const int chromaWidth = (outWidth + 1) / 2;
  uint8_t* yPlane = out;
  uint8_t* uPlane = out + static_cast<size_t>(outWidth) * outHeight;
  uint8_t* vPlane = uPlane + static_cast<size_t>(chromaWidth) * ((outHeight + 1) / 2);

  // Source row y widened: the row itself at scale 1, else in a buffer.
  std::vector<uint32_t> wide[2];
  int wideRow[2] = {-1, -1};
  auto widened = [&](int y, int slot) -> const uint32_t* {
    const uint32_t* row = pixels + static_cast<size_t>(y) * width;
    if (scale == 1) return row;
    if (wideRow[slot] != y) {
      wide[slot].resize(static_cast<size_t>(outWidth));
      uint32_t* to = wide[slot].data();
      for (int x = 0; x < width; ++x, to += scale) std::fill(to, to + scale, row[x]);
      wideRow[slot] = y;
    }
    return wide[slot].data();
  };

  for (int y = 0; y < outHeight; ++y) {
    uint8_t* yRow = yPlane + static_cast<size_t>(y) * outWidth;
    if (y % scale != 0) {
      std::memcpy(yRow, yRow - outWidth, static_cast<size_t>(outWidth));
    } else {
      lumaRow(widened(y / scale, 0), outWidth, yRow);
    }
  }

  int previousTop = -1, previousBottom = -1;
  for (int cy = 0; cy < (outHeight + 1) / 2; ++cy) {
    const int y0 = 2 * cy, y1 = y0 + 1 < outHeight ? y0 + 1 : y0;
    const int top = y0 / scale, bottom = y1 / scale;
    uint8_t* uRow = uPlane + static_cast<size_t>(cy) * chromaWidth;
    uint8_t* vRow = vPlane + static_cast<size_t>(cy) * chromaWidth;
    if (top == previousTop && bottom == previousBottom) {
      std::memcpy(uRow, uRow - chromaWidth, static_cast<size_t>(chromaWidth));
      std::memcpy(vRow, vRow - chromaWidth, static_cast<size_t>(chromaWidth));
    } else {
      const uint32_t* topRow = widened(top, 0);
      chromaRow(topRow, bottom == top ? topRow : widened(bottom, 1), outWidth, uRow, vRow);
    }
    previousTop = top;
    previousBottom = bottom;
  }
}
