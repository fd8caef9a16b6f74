// Framebuffer frames as the planar 4:2:0 YUV that H.264 encoders take, so
// that the encoder receives a third of the bytes and converts nothing.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of one width x height frame: the luma plane, then the two chroma
// planes at half width and half height (rounded up).
size_t yuv420Size(int width, int height);

// Converts words 0x00RRGGBB with the BT.601 coefficients in limited range
// (luma 16-235, chroma 16-240), what ffmpeg assumes for untagged video. Each
// chroma sample is the average of its 2 x 2 pixels (fewer at an odd edge).
// On x86-64 whole blocks of 16 pixels go through SSE2; the result is the
// same, byte for byte, as the per-sample rules below give.
void convertToYuv420(const uint32_t* pixels, int width, int height, uint8_t* out);

// The same for the frame enlarged `scale` times, each pixel an N x N block:
// `out` holds yuv420Size(width * scale, height * scale) bytes, the same as
// converting the enlarged frame. At an even scale every chroma sample lies
// within one pixel's block, so the colour keeps the frame's full resolution.
void convertToYuv420Scaled(const uint32_t* pixels, int width, int height, int scale, uint8_t* out);

// The per-sample rules, in 16.16 fixed point. A chroma sample takes its
// channels summed over its 2 x 2 pixels; at an odd edge the last column or
// row counts twice.
namespace yuv_rules {
uint8_t luma(uint32_t pixel);
uint8_t blueDifference(int sumRed, int sumGreen, int sumBlue);
uint8_t redDifference(int sumRed, int sumGreen, int sumBlue);
}  // namespace yuv_rules
