#include "pixel_folk.h"

#include <array>
#include <cmath>

namespace mkmedia {

namespace {

constexpr float kDegrees = kPi / 180.0f;

Vec2 limb(Vec2 from, float angleDegrees, float length) {
  float a = angleDegrees * kDegrees;
  return {from.x + std::sin(a) * length, from.y + std::cos(a) * length};
}

float segmentDistance(Vec2 p, Vec2 a, Vec2 b) {
  Vec2 ab = b - a, ap = p - a;
  float t = clamp01(dot(ap, ab) / std::max(1e-6f, dot(ab, ab)));
  return length(ap - ab * t);
}

Pose mixPose(const Pose& a, const Pose& b, float t) {
  Pose p;
  p.lean = mix(a.lean, b.lean, t);
  p.leftUpperArm = mix(a.leftUpperArm, b.leftUpperArm, t);
  p.leftForearm = mix(a.leftForearm, b.leftForearm, t);
  p.rightUpperArm = mix(a.rightUpperArm, b.rightUpperArm, t);
  p.rightForearm = mix(a.rightForearm, b.rightForearm, t);
  p.leftThigh = mix(a.leftThigh, b.leftThigh, t);
  p.leftShin = mix(a.leftShin, b.leftShin, t);
  p.rightThigh = mix(a.rightThigh, b.rightThigh, t);
  p.rightShin = mix(a.rightShin, b.rightShin, t);
  p.bounce = mix(a.bounce, b.bounce, t);
  return p;
}

// Disco point, arms up in a V, the point to the other side, a knee lift.
const std::array<Pose, 4> kDanceKeys = {{
    {-6, -45, 35, 140, 150, -6, -3, 28, -6, 0},
    {0, -150, -165, 150, 165, -16, -6, 16, 6, -1.0f},
    {6, -140, -150, 45, -35, -28, 6, 6, 3, 0},
    {0, -100, -135, 100, 135, -4, -2, 85, 5, -0.5f},
}};

}  // namespace

Pose dancePose(float phase) {
  float keys = fract(phase) * float(kDanceKeys.size());
  int index = int(keys) % int(kDanceKeys.size());
  float t = smoothstep(0.3f, 0.9f, keys - float(index));  // hold the pose, then swing
  Pose pose = mixPose(kDanceKeys[size_t(index)], kDanceKeys[size_t(index + 1) % kDanceKeys.size()], t);
  // A small bob on every half beat.
  pose.bounce += 0.8f * std::fabs(std::sin(phase * kTau * 4.0f));
  return pose;
}

PixelSprite rasterizeFolk(const Pose& pose, const FolkLook& look) {
  struct Part {
    Vec2 a, b;
    float radius;
    Vec3 colour;
  };
  const float down = pose.bounce;
  const Vec2 hip{14.0f, 19.4f + down};
  const Vec2 neck = limb(hip, 180.0f + pose.lean, 8.0f);
  const Vec2 head = limb(neck, 180.0f + pose.lean * 1.5f, 3.9f);
  const Vec2 shoulderL = neck + Vec2{-2.4f, 1.2f}, shoulderR = neck + Vec2{2.4f, 1.2f};
  const Vec2 hipL = hip + Vec2{-1.6f, 0.0f}, hipR = hip + Vec2{1.6f, 0.0f};
  const Vec2 elbowL = limb(shoulderL, pose.leftUpperArm, 4.2f), handL = limb(elbowL, pose.leftForearm, 4.2f);
  const Vec2 elbowR = limb(shoulderR, pose.rightUpperArm, 4.2f), handR = limb(elbowR, pose.rightForearm, 4.2f);
  const Vec2 kneeL = limb(hipL, pose.leftThigh, 5.5f), footL = limb(kneeL, pose.leftShin, 5.0f);
  const Vec2 kneeR = limb(hipR, pose.rightThigh, 5.5f), footR = limb(kneeR, pose.rightShin, 5.0f);
  const Vec2 toeL = limb(footL, pose.leftShin - 90.0f, 1.2f), toeR = limb(footR, pose.rightShin + 90.0f, 1.2f);
  const Vec3 back = {0.78f, 0.78f, 0.82f};  // the far limbs sit in shadow

  // Back to front.
  const Part parts[] = {
      {shoulderL, elbowL, 1.2f, look.shirt * back},
      {elbowL, handL, 1.0f, look.skin * back},
      {hipL, kneeL, 1.5f, look.pants * back},
      {kneeL, footL, 1.3f, look.pants * back},
      {footL, toeL, 1.3f, look.shoes * back},
      {hip, neck, 2.6f, look.shirt},
      {hipR, kneeR, 1.5f, look.pants},
      {kneeR, footR, 1.3f, look.pants},
      {footR, toeR, 1.3f, look.shoes},
      {shoulderR, elbowR, 1.2f, look.shirt},
      {elbowR, handR, 1.0f, look.skin},
      {neck, neck, 1.0f, look.skin},
  };

  PixelSprite sprite;
  sprite.width = kFolkGridWidth;
  sprite.height = kFolkGridHeight;
  sprite.colour.assign(size_t(sprite.width * sprite.height), {});
  sprite.filled.assign(size_t(sprite.width * sprite.height), 0);
  auto index = [&](int x, int y) { return size_t(y) * size_t(sprite.width) + size_t(x); };

  for (int y = 0; y < sprite.height; ++y) {
    for (int x = 0; x < sprite.width; ++x) {
      Vec2 p{float(x) + 0.5f, float(y) + 0.5f};
      for (const Part& part : parts) {
        if (segmentDistance(p, part.a, part.b) <= part.radius) {
          sprite.colour[index(x, y)] = part.colour;
          sprite.filled[index(x, y)] = 1;
        }
      }
      Vec2 h = p - head;
      if (length(h) <= 3.7f) {
        // Hair covers the crown; two dark eyes sit just below the middle.
        bool hair = h.y < -1.3f || (h.y < 0.0f && std::fabs(h.x) > 2.7f);
        sprite.colour[index(x, y)] = hair ? look.hair : look.skin;
        if (!hair && std::fabs(h.y - 0.3f) < 0.5f && std::fabs(std::fabs(h.x) - 1.3f) < 0.5f) {
          sprite.colour[index(x, y)] = look.outline;
        }
        sprite.filled[index(x, y)] = 1;
      }
    }
  }

  // A one-pixel outline around everything drawn, as pixel art has it.
  std::vector<uint8_t> body = sprite.filled;
  for (int y = 0; y < sprite.height; ++y) {
    for (int x = 0; x < sprite.width; ++x) {
      if (body[index(x, y)]) continue;
      bool touches = false;
      for (int dy = -1; dy <= 1 && !touches; ++dy) {
        for (int dx = -1; dx <= 1 && !touches; ++dx) {
          int nx = x + dx, ny = y + dy;
          touches = nx >= 0 && ny >= 0 && nx < sprite.width && ny < sprite.height && body[index(nx, ny)];
        }
      }
      if (touches) {
        sprite.colour[index(x, y)] = look.outline;
        sprite.filled[index(x, y)] = 1;
      }
    }
  }
  return sprite;
}

void drawPixelSprite(Canvas& canvas, const PixelSprite& sprite, int left, int top, int scale, bool bevel) {
  for (int y = 0; y < sprite.height; ++y) {
    for (int x = 0; x < sprite.width; ++x) {
      if (!sprite.isFilled(x, y)) continue;
      Vec3 base = sprite.colour[size_t(y) * size_t(sprite.width) + size_t(x)];
      for (int by = 0; by < scale; ++by) {
        for (int bx = 0; bx < scale; ++bx) {
          Vec3 c = base;
          if (bevel && scale >= 4) {
            if (bx == 0 || by == 0) c = mix(c, {1, 1, 1}, 0.25f);
            if (bx == scale - 1 || by == scale - 1) c = c * 0.7f;
          }
          int px = left + x * scale + bx, py = top + y * scale + by;
          if (canvas.contains(px, py)) canvas.at(px, py) = c;
        }
      }
    }
  }
}

}  // namespace mkmedia
