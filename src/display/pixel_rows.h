// Row routines behind the converters, taking (destination, source, count).
// The portable set is plain per-pixel code for any processor. On x86-64,
// where SSE2 is always present, the SSE2 set takes its place; where the
// processor has SSSE3 its byte shuffles and byte multiply-adds take over, and
// where it has AVX2 the 16-bit packs go sixteen pixels at a time. All sets are
// built on x86-64 so that all are tested there.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/processor_features.h"

#if defined(__x86_64__) && defined(__SSE2__)
#define PIXELFOLK_SIMD_ROWS 1
#else
#define PIXELFOLK_SIMD_ROWS 0
#endif

namespace portable_rows {
void copy32(uint8_t* destination, const uint32_t* source, size_t byteCount);
void swap32(uint8_t* destination, const uint32_t* source, size_t count);
void pack24(uint8_t* destination, const uint32_t* source, size_t count);
void pack24Swapped(uint8_t* destination, const uint32_t* source, size_t count);
void pack565(uint8_t* destination, const uint32_t* source, size_t count);
void pack565Swapped(uint8_t* destination, const uint32_t* source, size_t count);
void pack555(uint8_t* destination, const uint32_t* source, size_t count);
void pack555Swapped(uint8_t* destination, const uint32_t* source, size_t count);
}  // namespace portable_rows

#if PIXELFOLK_SIMD_ROWS
namespace sse2_rows {
void swap32(uint8_t* destination, const uint32_t* source, size_t count);
void pack24(uint8_t* destination, const uint32_t* source, size_t count);
void pack24Swapped(uint8_t* destination, const uint32_t* source, size_t count);
void pack565(uint8_t* destination, const uint32_t* source, size_t count);
void pack565Swapped(uint8_t* destination, const uint32_t* source, size_t count);
void pack555(uint8_t* destination, const uint32_t* source, size_t count);
void pack555Swapped(uint8_t* destination, const uint32_t* source, size_t count);
}  // namespace sse2_rows

namespace ssse3_rows {
void swap32(uint8_t* destination, const uint32_t* source, size_t count);
void pack24(uint8_t* destination, const uint32_t* source, size_t count);
void pack24Swapped(uint8_t* destination, const uint32_t* source, size_t count);
void pack565(uint8_t* destination, const uint32_t* source, size_t count);
void pack565Swapped(uint8_t* destination, const uint32_t* source, size_t count);
void pack555(uint8_t* destination, const uint32_t* source, size_t count);
void pack555Swapped(uint8_t* destination, const uint32_t* source, size_t count);
}  // namespace ssse3_rows

namespace avx2_rows {
void pack565(uint8_t* destination, const uint32_t* source, size_t count);
void pack565Swapped(uint8_t* destination, const uint32_t* source, size_t count);
void pack555(uint8_t* destination, const uint32_t* source, size_t count);
void pack555Swapped(uint8_t* destination, const uint32_t* source, size_t count);
}  // namespace avx2_rows
#endif
