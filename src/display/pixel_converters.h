// Conversion of framebuffer rows (words 0x00RRGGBB) into the display's pixel
// format. The display picks one converter when it opens and calls it for every
// row of every presented frame, straight into the locked back buffer.
#pragma once

#include <cstdint>

// Converts `count` source words into `count` destination pixels, written one
// after another with no gaps, each multi-byte value least significant byte
// first. Reads exactly `count` words and writes exactly count * bytes-per-pixel
// bytes; any alignment of either pointer works. A count of 0 or less does nothing.
using PixelConverter = void (*)(const uint32_t* source, uint8_t* destination, int32_t count);

// 32 bits, red 0xFF0000, green 0xFF00, blue 0xFF: the words copied whole, top byte included.
void convert32Rgb888(const uint32_t* source, uint8_t* destination, int32_t count);
// 32 bits, red 0xFF, green 0xFF00, blue 0xFF0000: (B << 16) | (G << 8) | R, top byte 0.
void convert32Bgr888(const uint32_t* source, uint8_t* destination, int32_t count);
// 24 bits, red 0xFF0000, green 0xFF00, blue 0xFF: bytes B, G, R.
void convert24Rgb888(const uint32_t* source, uint8_t* destination, int32_t count);
// 24 bits, red 0xFF, green 0xFF00, blue 0xFF0000: bytes R, G, B.
void convert24Bgr888(const uint32_t* source, uint8_t* destination, int32_t count);
// 16 bits 5-6-5 with red on top, and with blue on top.
void convert16Rgb565(const uint32_t* source, uint8_t* destination, int32_t count);
void convert16Bgr565(const uint32_t* source, uint8_t* destination, int32_t count);
// 16 bits 5-5-5 with bit 15 zero, red on top, and blue on top.
void convert16Rgb555(const uint32_t* source, uint8_t* destination, int32_t count);
void convert16Bgr555(const uint32_t* source, uint8_t* destination, int32_t count);

// The converter for a surface's RGB bit count and channel masks, or nullptr
// when the format is none of the eight above. The alpha mask plays no part.
PixelConverter selectPixelConverter(uint32_t bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

// Bytes one destination pixel takes for this converter; 0 for an unknown one.
int32_t pixelConverterBytesPerPixel(PixelConverter converter);

// The converter's function name ("convert16Rgb565"), or "none".
const char* pixelConverterName(PixelConverter converter);
