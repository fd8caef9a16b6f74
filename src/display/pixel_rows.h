// Row routines behind the converters, taking (destination, source, count).
// The portable set is plain per-pixel code for any processor; the SIMD set
// exists on x86-64, where SSE2 is always present. The converters forward to
// the SIMD set where it exists; both sets are built there so both are tested.
#pragma once

#include <cstddef>
#include <cstdint>

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
namespace simd_rows {
void swap32(uint8_t* destination, const uint32_t* source, size_t count);
void pack24(uint8_t* destination, const uint32_t* source, size_t count);
void pack24Swapped(uint8_t* destination, const uint32_t* source, size_t count);
void pack565(uint8_t* destination, const uint32_t* source, size_t count);
void pack565Swapped(uint8_t* destination, const uint32_t* source, size_t count);
void pack555(uint8_t* destination, const uint32_t* source, size_t count);
void pack555Swapped(uint8_t* destination, const uint32_t* source, size_t count);
}  // namespace simd_rows
#endif
