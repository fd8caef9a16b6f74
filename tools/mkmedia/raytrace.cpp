#include "raytrace.h"

#include <cmath>

namespace mkmedia {

Camera Camera::lookAt(Vec3 eye, Vec3 target, float fovY) {
  Camera c;
  c.eye = eye;
  c.forward = normalize(target - eye);
  c.right = normalize(cross(c.forward, Vec3{0, 1, 0}));
  c.up = cross(c.right, c.forward);
  c.focal = 1.0f / std::tan(fovY * 0.5f * kPi / 180.0f);
  return c;
}

Ray Camera::ray(float x, float y, int width, int height) const {
  float half = float(height) * 0.5f;
  float u = (x - float(width) * 0.5f) / half;
  float v = (half - y) / half;
  return {eye, normalize(forward * focal + right * u + up * v)};
}

namespace {

struct SoftBox {
  Vec3 direction;
  Vec3 colour;
  float sharpness;  // higher is a smaller, harder light
};

float softBox(Vec3 direction, const SoftBox& box) {
  float c = dot(direction, normalize(box.direction));
  return std::pow(std::max(0.0f, c), box.sharpness);
}

}  // namespace

Vec3 studioEnvironment(Vec3 d) {
  static const SoftBox boxes[] = {
      {{-0.6f, 0.7f, 0.6f}, {1.2f, 1.15f, 1.05f}, 40.0f},  // key light, upper left front
      {{0.9f, 0.25f, 0.1f}, {1.0f, 0.25f, 0.75f}, 14.0f},  // magenta from the right
      {{-0.9f, 0.1f, -0.5f}, {0.2f, 0.8f, 1.0f}, 12.0f},   // cyan from behind left
      {{0.2f, -0.8f, 0.6f}, {1.0f, 0.6f, 0.2f}, 10.0f},    // warm bounce from below
      {{0.3f, 0.9f, -0.3f}, {0.9f, 0.9f, 1.0f}, 80.0f},    // small top light
  };
  float horizon = std::exp(-std::fabs(d.y) * 6.0f);
  Vec3 colour = d.y > 0 ? mix(Vec3{0.06f, 0.07f, 0.14f}, Vec3{0.02f, 0.02f, 0.05f}, d.y)
                        : mix(Vec3{0.07f, 0.04f, 0.05f}, Vec3{0.02f, 0.01f, 0.02f}, -d.y);
  colour += Vec3{0.12f, 0.1f, 0.16f} * horizon;
  for (const SoftBox& box : boxes) colour += box.colour * softBox(d, box);
  return colour;
}

float schlick(float cosine, float f0) {
  float m = clamp01(1.0f - cosine);
  return f0 + (1.0f - f0) * m * m * m * m * m;
}

}  // namespace mkmedia
