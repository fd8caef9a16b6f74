// AVX2 row routines for the 16-bit formats: sixteen pixels per step, packed
// by the same two multiply-adds as the SSSE3 set. Only called where
// platform::processorHasAvx2() says so. The code below the headers is compiled for AVX2
// (GCC's pragma, clang's attribute on every function), so nothing defined
// here may be shared inline with the other sets. MinGW-w64's GCC cannot
// align its stack for 32-byte vectors, so these loops must keep every vector
// in registers, as they do at -O2 and above.
#include "display/pixel_rows.h"

#if PIXELFOLK_SIMD_ROWS

#include <immintrin.h>

#include "display/pixel_rules.h"
#include "display/sixteen_bit_weights.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#endif

namespace avx2_rows {

namespace {

using namespace pixel_rules;

inline __m256i load8(const uint32_t* source) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source)); }

inline __m256i lanes(uint32_t value) { return _mm256_set1_epi32(static_cast<int32_t>(value)); }

// Eight pixels' 16-bit values, each in the low half of its lane.
inline __m256i sixteenBitLanes(__m256i pixels, const sixteen_bit_weights::Weights& weights) {
  const __m256i kept = _mm256_and_si256(pixels, lanes(weights.keptBits));
  const __m256i shifted =
      _mm256_madd_epi16(_mm256_maddubs_epi16(kept, lanes(weights.byteLane())), lanes(weights.halfLane()));
  return _mm256_srli_epi32(shifted, 8);
}

// The unsigned pack works within each 128-bit half, giving pixels 0-3, 8-11,
// 4-7, 12-15; the 64-bit permute puts them back in order.
inline void pack16Row(uint8_t* destination, const uint32_t* source, size_t count,
                      const sixteen_bit_weights::Weights& weights, uint16_t (*rule)(uint32_t)) {
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m256i packed = _mm256_packus_epi32(sixteenBitLanes(load8(source + i), weights),
                                               sixteenBitLanes(load8(source + i + 8), weights));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + 2 * i),
                        _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0)));
  }
  for (; i < count; ++i) storeHalf(destination + 2 * i, rule(loadWord(source + i)));
}

}  // namespace

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

}  // namespace avx2_rows

#if defined(__clang__)
#pragma clang attribute pop
#endif

#endif
