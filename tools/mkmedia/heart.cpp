#include <cmath>

#include "keyed.h"
#include "middle_pictures.h"
#include "raytrace.h"
#include "sparkle.h"

namespace mkmedia {

namespace {

// Taubin's heart surface, (x^2 + 9/4 y^2 + z^2 - 1)^3 - x^2 z^3 - 9/80 y^2 z^3
// = 0, with z up and y the depth; negative inside.
float heartField(Vec3 p) {
  float x2 = p.x * p.x, y2 = p.y * p.y, z3 = p.z * p.z * p.z;
  float a = x2 + 2.25f * y2 + p.z * p.z - 1.0f;
  return a * a * a - x2 * z3 - 0.1125f * y2 * z3;
}

Vec3 heartGradient(Vec3 p) {
  float x2 = p.x * p.x, y2 = p.y * p.y, z2 = p.z * p.z;
  float a = x2 + 2.25f * y2 + z2 - 1.0f;
  float a2 = 3.0f * a * a;
  return {a2 * 2.0f * p.x - 2.0f * p.x * z2 * p.z, a2 * 4.5f * p.y - 0.225f * p.y * z2 * p.z,
          a2 * 2.0f * p.z - 3.0f * x2 * z2 - 0.3375f * y2 * z2};
}

// The scene stands the heart up (its z becomes screen up) and turns it.
constexpr float kTurn = 0.35f;
Vec3 toHeart(Vec3 w) {
  Vec3 r = rotateY(w, -kTurn);
  return {r.x, -r.z, r.y};
}
Vec3 fromHeart(Vec3 h) { return rotateY(Vec3{h.x, h.z, -h.y}, kTurn); }

Vec3 shadeHeart(const Ray& ray) {
  Vec3 o = toHeart(ray.origin), d = toHeart(ray.direction);
  // March from the near side of a bounding sphere, then bisect the crossing.
  float b = dot(o, d), disc = b * b - (dot(o, o) - 2.0f);
  if (disc < 0) return {};
  float t = -b - std::sqrt(disc), end = -b + std::sqrt(disc);
  const float step = 0.008f;
  float previous = heartField(o + d * t);
  bool hit = false;
  for (; t < end; t += step) {
    float value = heartField(o + d * (t + step));
    if (previous > 0 && value <= 0) {
      float lo = t, hi = t + step;
      for (int i = 0; i < 14; ++i) {
        float mid = 0.5f * (lo + hi);
        (heartField(o + d * mid) > 0 ? lo : hi) = mid;
      }
      t = hi;
      hit = true;
      break;
    }
    previous = value;
  }
  if (!hit) return {};
  Vec3 p = o + d * t;
  Vec3 n = fromHeart(normalize(heartGradient(p)));
  Vec3 view = -ray.direction;

  Vec3 light = normalize({-0.55f, 0.7f, 0.6f});
  float diffuse = std::max(0.0f, dot(n, light));
  float wrap = 0.5f + 0.5f * dot(n, light);
  float facing = std::max(0.0f, dot(n, view));
  float specular = std::pow(std::max(0.0f, dot(n, normalize(light + view))), 120.0f);
  float fresnel = schlick(facing, 0.05f);
  Vec3 ruby{0.85f, 0.04f, 0.12f};
  Vec3 colour = ruby * (0.12f + 0.7f * diffuse + 0.25f * wrap * wrap) +
                Vec3{1.0f, 0.3f, 0.55f} * (0.5f * std::pow(1.0f - facing, 3.0f)) +  // rim light
                studioEnvironment(reflect(ray.direction, n)) * (0.15f + 0.6f * fresnel) +
                Vec3{1, 1, 1} * (1.3f * specular);
  return keepVisible(colour);
}

}  // namespace

Canvas makeHeart() {
  Camera camera = Camera::lookAt({0.0f, 0.1f, 6.0f}, {0.0f, 0.1f, 0.0f}, 28.0f);
  Canvas canvas = renderSupersampled(kMiddleWidth, kMiddleHeight, 2, [&](float x, float y) {
    return shadeHeart(camera.ray(x, y, kMiddleWidth, kMiddleHeight));
  });
  glintBrightest(canvas, 2, 60.0f, 2.6f, 18.0f);
  finishKeyed(canvas, 0.1f);
  return canvas;
}

}  // namespace mkmedia
