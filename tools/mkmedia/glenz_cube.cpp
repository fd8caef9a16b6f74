#include <cmath>

#include "keyed.h"
#include "middle_pictures.h"
#include "raytrace.h"

namespace mkmedia {

namespace {

constexpr int kChecks = 3;  // checker cells along each face edge

Vec3 toCube(Vec3 v) { return rotateX(rotateY(rotateZ(v, 0.25f), 0.72f), 0.58f); }
Vec3 fromCube(Vec3 v) { return rotateZ(rotateY(rotateX(v, -0.58f), -0.72f), -0.25f); }

struct FaceHit {
  Vec3 point;   // in cube space
  Vec3 normal;  // in cube space, pointing out
};

// Slab test against the cube [-1, 1]^3: the faces where the ray enters and leaves.
bool hitCube(Vec3 o, Vec3 d, FaceHit& front, FaceHit& back) {
  float tNear = -1e9f, tFar = 1e9f;
  int nearAxis = 0, farAxis = 0;
  float nearSign = 1, farSign = 1;
  const float origin[3] = {o.x, o.y, o.z}, dir[3] = {d.x, d.y, d.z};
  for (int axis = 0; axis < 3; ++axis) {
    if (std::fabs(dir[axis]) < 1e-8f) {
      if (std::fabs(origin[axis]) > 1.0f) return false;
      continue;
    }
    float t1 = (-1.0f - origin[axis]) / dir[axis], t2 = (1.0f - origin[axis]) / dir[axis];
    float s1 = -1.0f, s2 = 1.0f;
    if (t1 > t2) {
      std::swap(t1, t2);
      std::swap(s1, s2);
    }
    if (t1 > tNear) tNear = t1, nearAxis = axis, nearSign = s1;
    if (t2 < tFar) tFar = t2, farAxis = axis, farSign = s2;
  }
  if (tNear > tFar || tFar < 0) return false;
  auto axisVector = [](int axis, float sign) {
    return Vec3{axis == 0 ? sign : 0.0f, axis == 1 ? sign : 0.0f, axis == 2 ? sign : 0.0f};
  };
  front = {o + d * tNear, axisVector(nearAxis, nearSign)};
  back = {o + d * tFar, axisVector(farAxis, farSign)};
  return true;
}

// The two coordinates across a face, each in -1..1.
Vec2 faceCoordinates(const FaceHit& f) {
  if (std::fabs(f.normal.x) > 0.5f) return {f.point.y, f.point.z};
  if (std::fabs(f.normal.y) > 0.5f) return {f.point.x, f.point.z};
  return {f.point.x, f.point.y};
}

struct Layer {
  Vec3 colour;
  float alpha;
};

Layer faceLayer(const FaceHit& f, bool isFront) {
  Vec2 uv = faceCoordinates(f);
  int cu = std::min(kChecks - 1, int((uv.x + 1.0f) * 0.5f * kChecks));
  int cv = std::min(kChecks - 1, int((uv.y + 1.0f) * 0.5f * kChecks));
  bool solid = (cu + cv) % 2 == 0;
  Vec3 light = normalize({-0.4f, 0.8f, 0.6f});
  float shade = 0.55f + 0.45f * std::max(0.0f, dot(fromCube(f.normal), light));
  Vec3 colour = isFront ? (solid ? Vec3{1.0f, 0.2f, 0.7f} : Vec3{1.0f, 0.9f, 1.0f})
                        : (solid ? Vec3{0.1f, 0.75f, 1.0f} : Vec3{0.12f, 0.1f, 0.45f});
  float alpha = isFront ? (solid ? 0.9f : 0.12f) : 1.0f;
  // Bright edges, as if each face were framed by a neon tube.
  float edge = 1.0f - std::max(std::fabs(uv.x), std::fabs(uv.y));
  float tube = std::exp(-edge * edge / 0.0006f);
  colour = colour * shade + Vec3{0.8f, 1.0f, 1.0f} * (1.4f * tube);
  return {colour * (isFront ? 1.0f : 0.75f), std::max(alpha, tube)};
}

Vec3 shadeCube(const Ray& ray) {
  FaceHit front, back;
  if (!hitCube(toCube(ray.origin), toCube(ray.direction), front, back)) return {};
  Layer far = faceLayer(back, false), near = faceLayer(front, true);
  return keepVisible(mix(far.colour, near.colour, near.alpha));
}

}  // namespace

Canvas makeGlenzCube() {
  Camera camera = Camera::lookAt({0.0f, 0.0f, 7.5f}, {0.0f, 0.0f, 0.0f}, 30.0f);
  Canvas canvas = renderSupersampled(kMiddleWidth, kMiddleHeight, 3, [&](float x, float y) {
    return shadeCube(camera.ray(x, y, kMiddleWidth, kMiddleHeight));
  });
  addBloom(canvas, 0.7f, 5.0f, 1.2f);
  finishKeyed(canvas, 0.1f);
  return canvas;
}

}  // namespace mkmedia
