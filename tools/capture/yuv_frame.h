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
void convertToYuv420(const uint32_t* pixels, int width, int height, uint8_t* out);
