#include <cmath>
#include <optional>

#include "keyed.h"
#include "middle_pictures.h"
#include "noise.h"
#include "raytrace.h"

namespace mkmedia {

namespace {

constexpr float kRingInner = 1.32f;
constexpr float kRingOuter = 2.25f;
const Vec3 kSunward = normalize(Vec3{-0.75f, 0.35f, 0.55f});
// The planet's pole, which is also the normal of the ring plane.
const Vec3 kPole = normalize(rotateZ(rotateX(Vec3{0, 1, 0}, 0.42f), -0.32f));
const Vec3 kMoonCentre{2.05f, 1.05f, 0.6f};
constexpr float kMoonRadius = 0.17f;

std::optional<float> hitSphere(const Ray& ray, Vec3 centre, float radius) {
  Vec3 o = ray.origin - centre;
  float b = dot(o, ray.direction);
  float disc = b * b - (dot(o, o) - radius * radius);
  if (disc < 0) return std::nullopt;
  float t = -b - std::sqrt(disc);
  if (t <= 1e-4f) return std::nullopt;
  return t;
}

// Ring particles: many fine ringlets and the dark Cassini division.
float ringDensity(float radius) {
  if (radius < kRingInner || radius > kRingOuter) return 0;
  float u = (radius - kRingInner) / (kRingOuter - kRingInner);
  float ringlets = periodicFbm(u * 40.0f, 0.5f, 4096, 4, 3, 0.6f, 31);
  float density = 0.35f + 0.65f * ringlets;
  density *= 1.0f - 0.92f * (smoothstep(0.64f, 0.66f, u) - smoothstep(0.7f, 0.72f, u));  // division
  density *= smoothstep(0.0f, 0.08f, u) * (1.0f - smoothstep(0.93f, 1.0f, u));           // soft edges
  return density * (0.5f + 0.5f * smoothstep(0.15f, 0.5f, u));                           // thin inner ring
}

std::optional<float> hitRingPlane(const Ray& ray) {
  float denom = dot(ray.direction, kPole);
  if (std::fabs(denom) < 1e-5f) return std::nullopt;
  float t = -dot(ray.origin, kPole) / denom;
  if (t <= 1e-4f) return std::nullopt;
  return t;
}

// Fraction of sunlight the rings let through to point p.
float ringTransmission(Vec3 p) {
  std::optional<float> t = hitRingPlane({p, kSunward});
  if (!t) return 1.0f;
  return 1.0f - 0.85f * ringDensity(length(p + kSunward * *t));
}

Vec3 planetColour(Vec3 p) {
  Vec3 n = normalize(p);
  float latitude = dot(n, kPole);
  // Bands of cloud, stirred by turbulence.
  float turbulence = periodicFbm(n.x * 6.0f + 40.0f, n.z * 6.0f + 40.0f, 4096, 4096, 4, 0.55f, 17) - 0.5f;
  float band = latitude * 9.0f + turbulence * 1.6f;
  Vec3 cream{0.95f, 0.85f, 0.62f}, ochre{0.82f, 0.55f, 0.3f}, rust{0.62f, 0.33f, 0.2f};
  float b1 = 0.5f + 0.5f * std::sin(band * 2.1f), b2 = 0.5f + 0.5f * std::sin(band * 5.3f + 1.0f);
  Vec3 clouds = mix(mix(cream, ochre, b1), rust, 0.35f * b2 * b2);
  float light = std::max(0.0f, dot(n, kSunward)) * ringTransmission(p);
  float limb = std::pow(1.0f - std::fabs(latitude), 0.3f);
  Vec3 lit = clouds * (0.08f + 1.0f * light) * (0.7f + 0.3f * limb);
  return keepVisible(lit);
}

Vec3 ringColour(Vec3 p, float density, bool planetShadow) {
  float r = length(p);
  Vec3 dust = mix(Vec3{0.75f, 0.68f, 0.58f}, Vec3{0.95f, 0.9f, 0.8f}, smoothstep(kRingInner, kRingOuter, r));
  float light = planetShadow ? 0.08f : 0.9f;
  return dust * (light * (0.4f + 0.6f * density));
}

Vec3 shade(const Ray& ray) {
  std::optional<float> planet = hitSphere(ray, {}, 1.0f);
  std::optional<float> moon = hitSphere(ray, kMoonCentre, kMoonRadius);
  std::optional<float> ring = hitRingPlane(ray);

  Vec3 behind{};
  if (moon && (!planet || *moon < *planet)) {
    Vec3 n = normalize(ray.origin + ray.direction * *moon - kMoonCentre);
    float craters = periodicFbm(n.x * 5.0f + 9.0f, n.y * 5.0f + 9.0f, 4096, 4096, 3, 0.6f, 41);
    behind = keepVisible(Vec3{0.7f, 0.72f, 0.8f} * ((0.75f + 0.3f * craters) * std::max(0.0f, dot(n, kSunward))));
  } else if (planet) {
    behind = planetColour(ray.origin + ray.direction * *planet);
  }
  if (ring && (!planet || *ring < *planet)) {
    Vec3 p = ray.origin + ray.direction * *ring;
    float density = ringDensity(length(p));
    if (density > 0) {
      bool shadowed = hitSphere({p, kSunward}, {}, 1.0f).has_value();
      float alpha = clamp01(density * 1.1f);
      return mix(behind, ringColour(p, density, shadowed), alpha);
    }
  }
  return behind;
}

}  // namespace

Canvas makeRingPlanet() {
  Camera camera = Camera::lookAt({0.0f, 0.0f, 9.0f}, {0.2f, 0.08f, 0.0f}, 28.5f);
  Canvas canvas = renderSupersampled(kMiddleWidth, kMiddleHeight, 3, [&](float x, float y) {
    return shade(camera.ray(x, y, kMiddleWidth, kMiddleHeight));
  });
  finishKeyed(canvas);
  return canvas;
}

}  // namespace mkmedia
