#include "render/pixel_runs.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define PIXELRUNS_SSSE3 1
#endif

namespace pixelruns {
namespace {

constexpr uint8_t kKeyThreshold = 20;
constexpr uint32_t kInkThreshold = 50;

inline uint32_t pack(const uint8_t* rgb) {
  return (static_cast<uint32_t>(rgb[0]) << 16) | (static_cast<uint32_t>(rgb[1]) << 8) | rgb[2];
}

inline bool hidden(const uint8_t* key) {
  return key[0] < kKeyThreshold && key[1] < kKeyThreshold && key[2] < kKeyThreshold;
}

#ifdef PIXELRUNS_SSSE3

// A 16-byte load reaches four bytes past the four pixels it packs, so the
// vector loops stop while at least six pixels (18 bytes) remain; a 32-byte
// load reaches eight bytes past eight pixels, so the AVX2 loops stop while
// eleven (33 bytes) remain.
constexpr int64_t kVectorReach = 6;
constexpr int64_t kWideReach = 11;

// Byte order of four packed pixels: blue, green, red, zero per word.
__attribute__((target("ssse3"))) inline __m128i packFour(const uint8_t* rgb) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb)), order);
}

// Eight pixels: their 24 bytes spread so that pixels 4-7 start the upper
// 128-bit half, where the byte shuffle (which stays within each half) packs
// them as packFour does.
__attribute__((target("avx2"))) inline __m256i packEight(const uint8_t* rgb) {
  const __m256i spread = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(rgb)),
                                                     _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6));
  const __m256i order = _mm256_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1, 2, 1, 0, -1, 5, 4, 3, -1,
                                         8, 7, 6, -1, 11, 10, 9, -1);
  return _mm256_shuffle_epi8(spread, order);
}

#endif

#ifdef __SSE2__
void stencilRunSse2(const uint32_t* glyph, uint32_t* target, int64_t count, uint32_t colour) {
  const __m128i belowInk = _mm_set1_epi8(kInkThreshold - 1);
  const __m128i channels = _mm_set1_epi32(0x00FFFFFF);
  const __m128i ink = _mm_set1_epi32(static_cast<int>(colour));
  const __m128i zero = _mm_setzero_si128();
  int64_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i words = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(glyph + i)), channels);
    const __m128i keep = _mm_cmpeq_epi32(_mm_subs_epu8(words, belowInk), zero);
    __m128i* out = reinterpret_cast<__m128i*>(target + i);
    _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(keep, _mm_loadu_si128(out)), _mm_andnot_si128(keep, ink)));
  }
  stencilRunScalar(glyph + i, target + i, count - i, colour);
}
#endif

}  // namespace

void packRgbRunScalar(const uint8_t* rgb, uint32_t* target, int64_t count) {
  for (int64_t i = 0; i < count; ++i) target[i] = pack(rgb + 3 * i);
}

void packKeyedRunScalar(const uint8_t* rgb, const uint8_t* key, uint32_t* target, int64_t count) {
  for (int64_t i = 0; i < count; ++i) {
    if (!hidden(key + 3 * i)) target[i] = pack(rgb + 3 * i);
  }
}

void stencilRunScalar(const uint32_t* glyph, uint32_t* target, int64_t count, uint32_t colour) {
  for (int64_t i = 0; i < count; ++i) {
    const uint32_t word = glyph[i];
    if ((word >> 16 & 0xFFu) >= kInkThreshold || (word >> 8 & 0xFFu) >= kInkThreshold ||
        (word & 0xFFu) >= kInkThreshold) {
      target[i] = colour;
    }
  }
}

#ifdef PIXELRUNS_SSSE3

__attribute__((target("ssse3"))) void packRgbRunSsse3(const uint8_t* rgb, uint32_t* target, int64_t count) {
  int64_t i = 0;
  for (; i + kVectorReach <= count; i += 4) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i), packFour(rgb + 3 * i));
  }
  packRgbRunScalar(rgb + 3 * i, target + i, count - i);
}

__attribute__((target("ssse3"))) void packKeyedRunSsse3(const uint8_t* rgb, const uint8_t* key, uint32_t* target,
                                                        int64_t count) {
  const __m128i belowThreshold = _mm_set1_epi8(kKeyThreshold - 1);
  const __m128i zero = _mm_setzero_si128();
  int64_t i = 0;
  for (; i + kVectorReach <= count; i += 4) {
    const __m128i pixels = packFour(rgb + 3 * i);
    const __m128i keys = key == rgb ? pixels : packFour(key + 3 * i);
    // A byte minus 19 (saturating) is zero exactly when the byte is below 20.
    const __m128i keep = _mm_cmpeq_epi32(_mm_subs_epu8(keys, belowThreshold), zero);
    __m128i* words = reinterpret_cast<__m128i*>(target + i);
    const __m128i old = _mm_loadu_si128(words);
    _mm_storeu_si128(words, _mm_or_si128(_mm_and_si128(keep, old), _mm_andnot_si128(keep, pixels)));
  }
  packKeyedRunScalar(rgb + 3 * i, key + 3 * i, target + i, count - i);
}

// The AVX2 runs leave their last few pixels to the SSSE3 ones. The upper
// halves of the 256-bit registers are cleared by hand before that tail call:
// GCC leaves that out before a jump to another function, and SSE code run
// with them dirty is several times slower on some processors.
__attribute__((target("avx2"))) void packRgbRunAvx2(const uint8_t* rgb, uint32_t* target, int64_t count) {
  int64_t i = 0;
  for (; i + kWideReach <= count; i += 8) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + i), packEight(rgb + 3 * i));
  }
  _mm256_zeroupper();
  packRgbRunSsse3(rgb + 3 * i, target + i, count - i);
}

__attribute__((target("avx2"))) void packKeyedRunAvx2(const uint8_t* rgb, const uint8_t* key, uint32_t* target,
                                                      int64_t count) {
  const __m256i belowThreshold = _mm256_set1_epi8(kKeyThreshold - 1);
  const __m256i zero = _mm256_setzero_si256();
  int64_t i = 0;
  for (; i + kWideReach <= count; i += 8) {
    const __m256i pixels = packEight(rgb + 3 * i);
    const __m256i keys = key == rgb ? pixels : packEight(key + 3 * i);
    const __m256i keep = _mm256_cmpeq_epi32(_mm256_subs_epu8(keys, belowThreshold), zero);
    __m256i* words = reinterpret_cast<__m256i*>(target + i);
    _mm256_storeu_si256(words, _mm256_blendv_epi8(pixels, _mm256_loadu_si256(words), keep));
  }
  _mm256_zeroupper();
  packKeyedRunSsse3(rgb + 3 * i, key + 3 * i, target + i, count - i);
}

#endif

void packRgbRun(const uint8_t* rgb, uint32_t* target, int64_t count) {
#ifdef PIXELRUNS_SSSE3
  if (platform::processorHasAvx2()) return packRgbRunAvx2(rgb, target, count);
  if (platform::processorHasSsse3()) return packRgbRunSsse3(rgb, target, count);
#endif
  packRgbRunScalar(rgb, target, count);
}

void packKeyedRun(const uint8_t* rgb, const uint8_t* key, uint32_t* target, int64_t count) {
#ifdef PIXELRUNS_SSSE3
  if (platform::processorHasAvx2()) return packKeyedRunAvx2(rgb, key, target, count);
  if (platform::processorHasSsse3()) return packKeyedRunSsse3(rgb, key, target, count);
#endif
  packKeyedRunScalar(rgb, key, target, count);
}

void stencilRun(const uint32_t* glyph, uint32_t* target, int64_t count, uint32_t colour) {
#ifdef __SSE2__
  stencilRunSse2(glyph, target, count, colour);
#else
  stencilRunScalar(glyph, target, count, colour);
#endif
}

}  // namespace pixelruns
