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
// vector loops stop while at least six pixels (18 bytes) remain.
constexpr int64_t kVectorReach = 6;

// Byte order of four packed pixels: blue, green, red, zero per word.
__attribute__((target("ssse3"))) inline __m128i packFour(const uint8_t* rgb) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb)), order);
}

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

const bool hasSsse3 = __builtin_cpu_supports("ssse3");

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

void packRgbRun(const uint8_t* rgb, uint32_t* target, int64_t count) {
#ifdef PIXELRUNS_SSSE3
  if (hasSsse3) return packRgbRunSsse3(rgb, target, count);
#endif
  packRgbRunScalar(rgb, target, count);
}

void packKeyedRun(const uint8_t* rgb, const uint8_t* key, uint32_t* target, int64_t count) {
#ifdef PIXELRUNS_SSSE3
  if (hasSsse3) return packKeyedRunSsse3(rgb, key, target, count);
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
