#include "keyed.h"

#include <algorithm>

namespace mkmedia {

Vec3 keepVisible(Vec3 colour) {
  float peak = std::max({colour.x, colour.y, colour.z});
  if (peak >= kKeyFloor) return colour;
  if (peak <= 1e-4f) return {kKeyFloor * 0.6f, kKeyFloor * 0.6f, kKeyFloor};
  return colour * (kKeyFloor / peak);
}

Vec3 glowOrNothing(Vec3 colour, float cut) { return std::max({colour.x, colour.y, colour.z}) < cut ? Vec3{} : colour; }

void finishKeyed(Canvas& canvas, float tail, int border) {
  cutDarkTail(canvas, tail);
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      if (x < border || y < border || x >= canvas.width - border || y >= canvas.height - border) {
        canvas.at(x, y) = {};
      }
    }
  }
}

}  // namespace mkmedia
