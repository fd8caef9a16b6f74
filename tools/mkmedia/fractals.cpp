#include <cmath>

#include "keyed.h"
#include "middle_pictures.h"

namespace mkmedia {

namespace {

struct Escape {
  bool inside = true;
  float smooth = 0;       // continuous escape count
  float distance = 0;     // estimated distance to the set, in plane units
  float finalRadius = 0;  // |z| at the end, for colouring the inside
  float trap = 1e9f;      // closest approach of the orbit to the origin
};

// Iterates z -> z^2 + c from z0, tracking the derivative for the distance
// estimate. For the Mandelbrot set dz starts at 0 and gains 1 each step; for
// a Julia set it starts at 1.
Escape iterate(float zx, float zy, float cx, float cy, int maxIterations, bool mandelbrot) {
  float dx = mandelbrot ? 0.0f : 1.0f, dy = 0.0f;
  Escape e;
  for (int n = 0; n < maxIterations; ++n) {
    float r2 = zx * zx + zy * zy;
    e.trap = std::min(e.trap, r2);
    if (r2 > 1024.0f) {
      float r = std::sqrt(r2);
      e.inside = false;
      e.smooth = float(n) + 1.0f - std::log2(std::log(r));
      e.distance = r * std::log(r) / std::max(1e-20f, std::sqrt(dx * dx + dy * dy));
      return e;
    }
    float ndx = 2.0f * (zx * dx - zy * dy) + (mandelbrot ? 1.0f : 0.0f);
    float ndy = 2.0f * (zx * dy + zy * dx);
    dx = ndx;
    dy = ndy;
    float nzx = zx * zx - zy * zy + cx;
    zy = 2.0f * zx * zy + cy;
    zx = nzx;
  }
  e.finalRadius = std::sqrt(zx * zx + zy * zy);
  return e;
}

// Glow that is 0 far from the set and full on its edge: `pixel` is the plane
// size of one pixel, so the rim stays a few pixels wide at any zoom.
float edgeGlow(const Escape& e, float pixel, float width) { return std::exp(-e.distance / (pixel * width)); }

}  // namespace

Canvas makeMandelbrot() {
  const float scale = 3.45f / float(kMiddleWidth);
  const float centreX = -0.765f, centreY = 0.0f;
  Canvas canvas = renderSupersampled(kMiddleWidth, kMiddleHeight, 3, [&](float x, float y) {
    float cx = centreX + (x - kMiddleWidth * 0.5f) * scale;
    float cy = centreY + (y - kMiddleHeight * 0.5f) * scale;
    Escape e = iterate(0, 0, cx, cy, 600, true);
    if (e.inside) {
      // A deep violet body with faint rings from where the orbit settles.
      float rings = 0.5f + 0.5f * std::cos(e.finalRadius * 14.0f);
      return keepVisible(Vec3{0.1f, 0.05f, 0.3f} + Vec3{0.05f, 0.08f, 0.2f} * rings);
    }
    float rim = edgeGlow(e, scale, 2.5f);
    float haze = std::exp(-e.distance / (scale * 9.0f));
    float hue = std::log(1.0f + e.smooth) * 0.35f;
    Vec3 tint = cosinePalette(hue, {0.4f, 0.5f, 0.7f}, {0.4f, 0.4f, 0.3f}, {1.0f, 1.0f, 1.0f}, {0.6f, 0.7f, 0.8f});
    return glowOrNothing(tint * (0.9f * haze) + Vec3{0.85f, 0.95f, 1.0f} * rim, 0.2f);
  });
  finishKeyed(canvas);
  return canvas;
}

Canvas makeJulia() {
  const float scale = 3.45f / float(kMiddleWidth);
  const float cx = -0.75f, cy = 0.11f;
  Canvas canvas = renderSupersampled(kMiddleWidth, kMiddleHeight, 3, [&](float x, float y) {
    // Turned a little so the long axis of the set runs across the picture.
    float px = (x - kMiddleWidth * 0.5f) * scale, py = (y - kMiddleHeight * 0.5f) * scale;
    const float a = 0.12f;
    float zx = px * std::cos(a) - py * std::sin(a), zy = px * std::sin(a) + py * std::cos(a);
    Escape e = iterate(zx, zy, cx, cy, 400, false);
    if (e.inside) {
      // Orbit-trap bands: the closer the orbit passes the origin, the hotter.
      float t = std::sqrt(std::sqrt(e.trap));
      Vec3 inner =
          cosinePalette(t * 1.3f, {0.55f, 0.3f, 0.55f}, {0.45f, 0.3f, 0.4f}, {1.0f, 1.0f, 1.0f}, {0.85f, 0.05f, 0.25f});
      return keepVisible(inner);
    }
    float rim = edgeGlow(e, scale, 1.0f);
    float haze = std::exp(-e.distance / (scale * 6.0f));
    Vec3 tint = cosinePalette(std::log(1.0f + e.smooth) * 0.5f, {0.6f, 0.3f, 0.75f}, {0.4f, 0.3f, 0.25f},
                              {1.0f, 1.0f, 1.0f}, {0.15f, 0.55f, 0.85f});
    return glowOrNothing(tint * haze + Vec3{1.0f, 0.8f, 0.95f} * (0.85f * rim), 0.2f);
  });
  finishKeyed(canvas);
  return canvas;
}

}  // namespace mkmedia
