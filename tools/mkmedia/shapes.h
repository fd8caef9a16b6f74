// Helpers for flat shapes: sampling coverage maps, distance to a shape, masks.
#pragma once

#include <vector>

#include "canvas.h"
#include "glyph_raster.h"

namespace mkmedia {

// Bilinear sample at (x, y) in pixel units (pixel centres at +0.5); 0 outside.
float sampleCoverage(const Coverage& coverage, float x, float y);

// For every pixel, the distance (in pixels, up to `reach`) to the nearest
// pixel whose coverage is at least one half; 0 on the shape itself and
// `reach` for everything farther away.
std::vector<float> distanceToShape(const Coverage& shape, int reach);

// White where `inside` is set, black elsewhere: a two-level mask picture.
Canvas maskFrom(int width, int height, const std::vector<uint8_t>& inside);

}  // namespace mkmedia
