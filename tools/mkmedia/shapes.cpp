#include "shapes.h"

#include <cmath>

namespace mkmedia {

float sampleCoverage(const Coverage& coverage, float x, float y) {
  float fx = x - 0.5f, fy = y - 0.5f;
  int ix = int(std::floor(fx)), iy = int(std::floor(fy));
  float tx = fx - float(ix), ty = fy - float(iy);
  float top = mix(coverage.at(ix, iy), coverage.at(ix + 1, iy), tx);
  float bottom = mix(coverage.at(ix, iy + 1), coverage.at(ix + 1, iy + 1), tx);
  return mix(top, bottom, ty);
}

std::vector<float> distanceToShape(const Coverage& shape, int reach) {
  const int w = shape.width, h = shape.height;
  std::vector<float> distance(size_t(w) * size_t(h), float(reach));
  // Offsets sorted by length would allow an early exit; the pictures are small
  // enough that scanning the whole neighbourhood is fine.
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float best = float(reach);
      for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
          if (shape.at(x + dx, y + dy) < 0.5f) continue;
          best = std::min(best, std::sqrt(float(dx * dx + dy * dy)));
        }
      }
      distance[size_t(y) * size_t(w) + size_t(x)] = best;
    }
  }
  return distance;
}

Canvas maskFrom(int width, int height, const std::vector<uint8_t>& inside) {
  Canvas mask(width, height);
  for (size_t i = 0; i < mask.pixels.size(); ++i) mask.pixels[i] = inside[i] ? Vec3{1, 1, 1} : Vec3{};
  return mask;
}

}  // namespace mkmedia
