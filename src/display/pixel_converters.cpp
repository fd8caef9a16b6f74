#include "display/pixel_converters.h"

#include "display/pixel_rows.h"

namespace {

#if PIXELFOLK_SIMD_ROWS
// The widest set the processor runs; each converter asks once.
using RowRoutine = void (*)(uint8_t*, const uint32_t*, size_t);
RowRoutine bestOf(RowRoutine withAvx2, RowRoutine withSsse3, RowRoutine withSse2) {
  if (withAvx2 != nullptr && platform::processorHasAvx2()) return withAvx2;
  return platform::processorHasSsse3() ? withSsse3 : withSse2;
}
#define PIXELFOLK_BYTE_ORDER_ROW(name) bestOf(nullptr, ssse3_rows::name, sse2_rows::name)
#define PIXELFOLK_SIXTEEN_BIT_ROW(name) bestOf(avx2_rows::name, ssse3_rows::name, sse2_rows::name)
#else
#define PIXELFOLK_BYTE_ORDER_ROW(name) portable_rows::name
#define PIXELFOLK_SIXTEEN_BIT_ROW(name) portable_rows::name
#endif

size_t pixelsIn(int32_t count) { return count > 0 ? static_cast<size_t>(count) : 0; }

struct ConverterEntry {
  uint32_t bitCount;
  uint32_t redMask;
  uint32_t greenMask;
  uint32_t blueMask;
  PixelConverter converter;
  const char* name;
};

constexpr ConverterEntry kConverters[] = {
    {32, 0xFF0000, 0xFF00, 0xFF, convert32Rgb888, "convert32Rgb888"},
    {32, 0xFF, 0xFF00, 0xFF0000, convert32Bgr888, "convert32Bgr888"},
    {24, 0xFF0000, 0xFF00, 0xFF, convert24Rgb888, "convert24Rgb888"},
    {24, 0xFF, 0xFF00, 0xFF0000, convert24Bgr888, "convert24Bgr888"},
    {16, 0xF800, 0x7E0, 0x1F, convert16Rgb565, "convert16Rgb565"},
    {16, 0x1F, 0x7E0, 0xF800, convert16Bgr565, "convert16Bgr565"},
    {16, 0x7C00, 0x3E0, 0x1F, convert16Rgb555, "convert16Rgb555"},
    {16, 0x1F, 0x3E0, 0x7C00, convert16Bgr555, "convert16Bgr555"},
};

const ConverterEntry* findEntry(PixelConverter converter) {
  for (const ConverterEntry& entry : kConverters) {
    if (entry.converter == converter) return &entry;
  }
  return nullptr;
}

}  // namespace

// The plain copy is memcpy on every processor: nothing beats the C library's own.
void convert32Rgb888(const uint32_t* source, uint8_t* destination, int32_t count) {
  portable_rows::copy32(destination, source, pixelsIn(count) * 4);
}

void convert32Bgr888(const uint32_t* source, uint8_t* destination, int32_t count) {
  static const auto row = PIXELFOLK_BYTE_ORDER_ROW(swap32);
  row(destination, source, pixelsIn(count));
}

void convert24Rgb888(const uint32_t* source, uint8_t* destination, int32_t count) {
  static const auto row = PIXELFOLK_BYTE_ORDER_ROW(pack24);
  row(destination, source, pixelsIn(count));
}

void convert24Bgr888(const uint32_t* source, uint8_t* destination, int32_t count) {
  static const auto row = PIXELFOLK_BYTE_ORDER_ROW(pack24Swapped);
  row(destination, source, pixelsIn(count));
}

void convert16Rgb565(const uint32_t* source, uint8_t* destination, int32_t count) {
  static const auto row = PIXELFOLK_SIXTEEN_BIT_ROW(pack565);
  row(destination, source, pixelsIn(count));
}

void convert16Bgr565(const uint32_t* source, uint8_t* destination, int32_t count) {
  static const auto row = PIXELFOLK_SIXTEEN_BIT_ROW(pack565Swapped);
  row(destination, source, pixelsIn(count));
}

void convert16Rgb555(const uint32_t* source, uint8_t* destination, int32_t count) {
  static const auto row = PIXELFOLK_SIXTEEN_BIT_ROW(pack555);
  row(destination, source, pixelsIn(count));
}

void convert16Bgr555(const uint32_t* source, uint8_t* destination, int32_t count) {
  static const auto row = PIXELFOLK_SIXTEEN_BIT_ROW(pack555Swapped);
  row(destination, source, pixelsIn(count));
}

PixelConverter selectPixelConverter(uint32_t bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
  for (const ConverterEntry& entry : kConverters) {
    if (entry.bitCount == bitCount && entry.redMask == redMask && entry.greenMask == greenMask &&
        entry.blueMask == blueMask) {
      return entry.converter;
    }
  }
  return nullptr;
}

int32_t pixelConverterBytesPerPixel(PixelConverter converter) {
  const ConverterEntry* entry = findEntry(converter);
  return entry != nullptr ? static_cast<int32_t>(entry->bitCount / 8) : 0;
}

const char* pixelConverterName(PixelConverter converter) {
  const ConverterEntry* entry = findEntry(converter);
  return entry != nullptr ? entry->name : "none";
}
