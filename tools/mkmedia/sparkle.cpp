#include "sparkle.h"

#include <algorithm>
#include <cmath>

namespace mkmedia {

void addGlint(Canvas& canvas, float cx, float cy, float size, Vec3 colour) {
  const int reach = int(std::ceil(size)) + 1;
  for (int y = int(cy) - reach; y <= int(cy) + reach; ++y) {
    for (int x = int(cx) - reach; x <= int(cx) + reach; ++x) {
      if (!canvas.contains(x, y)) continue;
      float dx = std::fabs(float(x) + 0.5f - cx) / size, dy = std::fabs(float(y) + 0.5f - cy) / size;
      // Two thin crossing arms that taper, over a small round core.
      float arms = std::max(0.0f, 1.0f - dx) * std::exp(-dy * dy * 900.0f) +
                   std::max(0.0f, 1.0f - dy) * std::exp(-dx * dx * 900.0f);
      float core = std::exp(-(dx * dx + dy * dy) * 60.0f);
      canvas.at(x, y) += colour * (arms * 0.9f + core);
    }
  }
}

void glintBrightest(Canvas& canvas, int count, float spacing, float threshold, float size) {
  struct Spot {
    float brightness;
    int x, y;
  };
  std::vector<Spot> spots;
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      const Vec3& c = canvas.at(x, y);
      float b = c.x + c.y + c.z;
      if (b > threshold) spots.push_back({b, x, y});
    }
  }
  // Stable order: brightness, then position, so equal pixels never swap.
  std::sort(spots.begin(), spots.end(), [](const Spot& a, const Spot& b) {
    if (a.brightness != b.brightness) return a.brightness > b.brightness;
    return a.y != b.y ? a.y < b.y : a.x < b.x;
  });
  std::vector<Spot> chosen;
  for (const Spot& s : spots) {
    if (int(chosen.size()) >= count) break;
    bool clear = std::all_of(chosen.begin(), chosen.end(), [&](const Spot& c) {
      float dx = float(c.x - s.x), dy = float(c.y - s.y);
      return dx * dx + dy * dy >= spacing * spacing;
    });
    if (clear) chosen.push_back(s);
  }
  for (const Spot& s : chosen) addGlint(canvas, float(s.x) + 0.5f, float(s.y) + 0.5f, size, {1.0f, 1.0f, 1.0f});
}

}  // namespace mkmedia
