// A floating-point RGB picture (channels 0..1 nominal) and the ways to fill it.
#pragma once

#include <cstdint>
#include <vector>

#include "vec.h"

namespace mkmedia {

struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<Vec3> pixels;  // row-major, top row first

  Canvas() = default;
  Canvas(int w, int h, Vec3 fill = {}) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

  Vec3& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  const Vec3& at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Packs to 8-bit RGB, clamping each channel and rounding to nearest.
std::vector<uint8_t> toRgbBytes(const Canvas& canvas);

// Fills a canvas by averaging samples x samples evaluations of shade(x, y) per
// pixel, with (x, y) in pixel units (pixel (i, j) spans [i, i+1) x [j, j+1)).
template <typename Shade>
Canvas renderSupersampled(int width, int height, int samples, Shade&& shade) {
  Canvas canvas(width, height);
  const float step = 1.0f / float(samples);
  const float weight = 1.0f / float(samples * samples);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Vec3 sum{};
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          sum += shade(float(x) + (float(sx) + 0.5f) * step, float(y) + (float(sy) + 0.5f) * step);
        }
      }
      canvas.at(x, y) = sum * weight;
    }
  }
  return canvas;
}

// Sets every channel at or below `floor` to exactly zero. Used on pictures
// that are colour-keyed against black, so that faint glow tails do not leave a
// murky, half-keyed halo.
void cutDarkTail(Canvas& canvas, float floor);

// Paints `src` over `dst` with its top-left corner at (left, top), weighting by
// `alpha` (same size as src, 0..1), clipped to dst.
void blendOver(Canvas& dst, const Canvas& src, const std::vector<float>& alpha, int left, int top);

// Adds a soft glow around everything brighter than `threshold`: the excess
// is blurred with a gaussian of `radius` pixels and added back times `amount`.
void addBloom(Canvas& canvas, float threshold, float radius, float amount);

}  // namespace mkmedia
