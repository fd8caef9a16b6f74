// Luma chosen for the colour a player will actually show. A 4:2:0 video
// keeps one chroma sample per 2 x 2 pixels and players interpolate between
// samples, so at a colour edge each pixel shows some of its neighbour's
// chroma. Luma is stored for every pixel, and a change of luma moves red,
// green and blue alike: for each pixel the luma that brings the decoded
// colour nearest the source (least squares over the three channels) takes
// back the part of that blend common to the three.
#pragma once

#include <cstdint>

// Rewrites the luma plane of `yuv`, the 4:2:0 planes of the frame enlarged
// `scale` times (convertToYuv420Scaled), for its chroma planes as a player
// upsamples them: samples centred in their 2 x 2 pixels (the video is tagged
// so), interpolated with the bicubic filter ffmpeg's conversion uses, whose
// weights are near a bilinear player's.
void fitLumaToUpsampledChroma(const uint32_t* pixels, int width, int height, int scale, uint8_t* yuv);

// A width x height 4:2:0 frame back in RGB as that player shows it, words
// 0x00RRGGBB: how tests measure what the fit gains.
void decodeUpsampled(const uint8_t* yuv, int width, int height, uint32_t* out);
