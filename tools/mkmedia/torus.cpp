#include <cmath>

#include "keyed.h"
#include "middle_pictures.h"
#include "raytrace.h"

namespace mkmedia {

namespace {

constexpr float kMajor = 1.0f;
constexpr float kMinor = 0.42f;

// The torus lies in its own xz plane; the scene turns it to face the viewer.
Vec3 toLocal(Vec3 p) { return rotateX(rotateZ(p, -0.35f), -1.05f); }
Vec3 toWorld(Vec3 p) { return rotateZ(rotateX(p, 1.05f), 0.35f); }

float torusDistance(Vec3 p) {
  Vec3 q = toLocal(p);
  float ring = std::sqrt(q.x * q.x + q.z * q.z) - kMajor;
  return std::sqrt(ring * ring + q.y * q.y) - kMinor;
}

Vec3 torusNormal(Vec3 p) {
  Vec3 q = toLocal(p);
  float len = std::sqrt(q.x * q.x + q.z * q.z);
  Vec3 centre{q.x / len * kMajor, 0.0f, q.z / len * kMajor};
  return toWorld(normalize(q - centre));
}

Vec3 shadeTorus(const Ray& ray) {
  float t = 0;
  bool hit = false;
  for (int i = 0; i < 96 && t < 12.0f; ++i) {
    float d = torusDistance(ray.origin + ray.direction * t);
    if (d < 1e-4f) {
      hit = true;
      break;
    }
    t += d;
  }
  if (!hit) return {};
  Vec3 p = ray.origin + ray.direction * t;
  Vec3 n = torusNormal(p);
  Vec3 q = toLocal(p);

  // Candy glaze: hue runs twice around the ring, with fine bands across the tube.
  float around = std::atan2(q.z, q.x) / kTau;
  float tube = std::atan2(q.y, std::sqrt(q.x * q.x + q.z * q.z) - kMajor) / kTau;
  Vec3 base = cosinePalette(around * 2.0f + 0.1f * std::sin(tube * kTau * 3.0f), {0.55f, 0.5f, 0.55f},
                            {0.45f, 0.45f, 0.45f}, {1, 1, 1}, {0.0f, 0.33f, 0.67f});
  float stripe = 0.5f + 0.5f * std::cos((around * 24.0f + tube * 2.0f) * kTau);
  base = base * (0.8f + 0.2f * smoothstep(0.3f, 0.7f, stripe));

  Vec3 light = normalize({-0.8f, 0.75f, 0.35f});
  Vec3 view = -ray.direction;
  float diffuse = std::max(0.0f, dot(n, light));
  float wrap = 0.25f + 0.75f * (0.5f + 0.5f * dot(n, light));
  Vec3 halfway = normalize(light + view);
  float specular = std::pow(std::max(0.0f, dot(n, halfway)), 140.0f);
  float fresnel = schlick(std::max(0.0f, dot(n, view)), 0.06f);
  Vec3 reflection = studioEnvironment(reflect(ray.direction, n));

  Vec3 colour = base * (0.15f + 0.55f * diffuse + 0.3f * wrap) + reflection * (0.35f * fresnel + 0.12f) +
                Vec3{1, 1, 1} * (1.2f * specular);
  return keepVisible(colour);
}

}  // namespace

Canvas makeTorus() {
  Camera camera = Camera::lookAt({0.0f, 0.2f, 5.0f}, {0.0f, 0.0f, 0.0f}, 36.0f);
  Canvas canvas = renderSupersampled(kMiddleWidth, kMiddleHeight, 3, [&](float x, float y) {
    return shadeTorus(camera.ray(x, y, kMiddleWidth, kMiddleHeight));
  });
  finishKeyed(canvas);
  return canvas;
}

}  // namespace mkmedia
