#include <algorithm>
#include <cmath>
#include <vector>

#include "animations.h"
#include "noise.h"
#include "pixel_folk.h"

namespace mkmedia {

namespace {

constexpr float kHorizon = 342.0f;  // screen row of the horizon
constexpr float kSunX = 528.0f, kSunRadius = 84.0f;
constexpr float kCameraHeight = 60.0f;
constexpr float kGridCell = 1.0f;  // world units between grid lines
constexpr int kCellsPerLoop = 4;   // grid rows that pass per loop

// The sky is black at the top (the names are typed there in blue) and warms
// to a dusky purple only close to the horizon.
Vec3 sky(float y) {
  float t = clamp01((y - 150.0f) / (kHorizon - 150.0f));
  Vec3 colour = mix(Vec3{0.0f, 0.0f, 0.015f}, Vec3{0.28f, 0.04f, 0.22f}, t * t * t);
  return colour;
}

// A striped retro sun; the bands in its lower half drift down and repeat
// once per loop.
Vec3 sun(float x, float y, float loop, float& coverage) {
  float dx = x - kSunX, dy = y - kHorizon;
  float r = std::sqrt(dx * dx + dy * dy);
  coverage = 0;
  Vec3 glow = Vec3{1.0f, 0.3f, 0.45f} * (0.35f * std::exp(-std::max(0.0f, r - kSunRadius) / 22.0f));
  if (r > kSunRadius + 0.5f) return glow;
  float height = -dy / kSunRadius;  // 1 at the top, 0 on the horizon
  Vec3 body = mix(Vec3{1.0f, 0.2f, 0.55f}, Vec3{1.0f, 0.9f, 0.3f}, smoothstep(0.0f, 1.0f, height));
  // Gaps open toward the bottom: band period 12 rows, width growing downward.
  float band = fract((-dy) / 12.0f + loop * 2.0f);
  float gap = (1.0f - height) * 0.7f - 0.1f;
  bool cut = height < 0.6f && band < gap;
  coverage = cut ? 0.0f : clamp01(kSunRadius + 0.5f - r);
  return mix(glow, body, coverage);
}

// Low mountains along the horizon, left of the sun.
float ridgeAt(float x) {
  float n = periodicFbm(x / 90.0f, 3.5f, 1024, 1024, 4, 0.5f, 101);
  float envelope =
      smoothstep(20.0f, 120.0f, x) * (1.0f - smoothstep(360.0f, 450.0f, x)) + 0.5f * smoothstep(560.0f, 640.0f, x);
  return kHorizon - envelope * (8.0f + 48.0f * n * n);
}

// The crest only depends on x: tabulate it at the sample columns (two per
// pixel) instead of evaluating noise for every sample of every frame.
constexpr int kRidgeSamples = 2;
float ridge(float x) {
  static const std::vector<float> table = [] {
    std::vector<float> t(size_t(kGreetsWidth * kRidgeSamples));
    for (size_t i = 0; i < t.size(); ++i) t[i] = ridgeAt((float(i) + 0.5f) / float(kRidgeSamples));
    return t;
  }();
  int i = std::clamp(int(x * float(kRidgeSamples)), 0, int(table.size()) - 1);
  return table[size_t(i)];
}

// The floor: a neon grid on a plane below the camera, running toward it.
Vec3 floorGrid(float x, float y, float loop) {
  float below = y - kHorizon;
  float depth = kCameraHeight / below;  // world distance, large near the horizon
  float worldX = (x - 320.0f) * depth / 80.0f;
  float worldZ = depth + loop * kCellsPerLoop * kGridCell;
  // How far each coordinate moves per screen pixel (the length of its screen
  // gradient): lines of constant x run nearly flat far out to the sides, so
  // their spread down the screen counts as much as across it.
  float spreadDown = depth * depth / kCameraHeight;
  float footprintX = std::hypot(depth / 80.0f, (x - 320.0f) / 80.0f * spreadDown);
  float footprintZ = spreadDown;
  // A line of `width` (world units, but no more than a few pixels up close,
  // where perspective would smear it into a bar). Where lines crowd closer
  // than a few pixels they fade to their average, instead of shimmering.
  auto line = [&](float v, float width, float footprint) {
    width = std::min(width, footprint * 2.5f);
    float f = std::fabs(fract(v / kGridCell + 0.5f) - 0.5f) * kGridCell;
    float sharp = 1.0f - smoothstep(width * 0.5f, width * 0.5f + footprint * 1.2f, f);
    float crowding = smoothstep(0.05f, 0.18f, footprint / kGridCell);
    return mix(sharp, 0.25f, crowding);
  };
  float lines = std::max(line(worldX, 0.04f, footprintX), line(worldZ, 0.06f, footprintZ));
  float fade = std::exp(-depth / 10.0f);
  Vec3 colour = Vec3{0.02f, 0.0f, 0.05f} + Vec3{0.1f, 0.85f, 1.0f} * (lines * fade);
  // Haze where the floor meets the sky.
  colour = mix(colour, Vec3{0.3f, 0.05f, 0.25f}, std::exp(-below / 10.0f) * 0.8f);
  // The sun's reflection: a shimmering column of warm light.
  float shimmer = 0.6f + 0.4f * std::sin(worldZ * kTau * 2.0f);
  float column = std::exp(-std::pow((x - kSunX) / 60.0f, 2.0f)) * std::exp(-below / 70.0f);
  colour += Vec3{1.0f, 0.35f, 0.5f} * (0.35f * column * shimmer);
  return colour;
}

Vec3 shade(float x, float y, float loop) {
  if (y >= kHorizon) return floorGrid(x, y, loop);
  float coverage;
  Vec3 colour = sky(y) + sun(x, y, loop, coverage);
  float top = ridge(x);
  if (y >= top) {
    // Mountain: dark with a thin neon rim along the crest.
    float rim = std::exp(-(y - top) / 1.2f);
    colour = Vec3{0.05f, 0.01f, 0.09f} + Vec3{0.9f, 0.2f, 0.8f} * (0.7f * rim);
  }
  return colour;
}

// Stars in the upper sky, twinkling on whole cycles of the loop.
void addStars(Canvas& canvas, float loop) {
  SeededRandom random(64);
  for (int i = 0; i < 160; ++i) {
    int x = int(random.range(0, kGreetsWidth)), y = int(random.range(0, kHorizon - 70.0f));
    float base = 0.15f + 0.5f * random.uniform() * random.uniform();
    float phase = random.uniform();
    int speed = 1 + int(random.next() % 3);
    float twinkle = 0.6f + 0.4f * std::sin(kTau * (loop * float(speed) + phase));
    canvas.at(x, y) += Vec3{0.85f, 0.9f, 1.0f} * (base * twinkle);
  }
}

// A shooting star streaks across the upper right early in the loop.
void addShootingStar(Canvas& canvas, float loop) {
  const float start = 0.1f, end = 0.3f;
  if (loop < start || loop > end) return;
  float t = (loop - start) / (end - start);
  float headX = 620.0f - 260.0f * t, headY = 30.0f + 70.0f * t;
  for (int i = 0; i < 60; ++i) {
    float s = float(i) / 60.0f;
    int x = int(headX + 80.0f * s), y = int(headY - 21.5f * s);
    if (!canvas.contains(x, y)) continue;
    float fade = (1.0f - s) * std::sin(kPi * t);
    canvas.at(x, y) += Vec3{0.9f, 0.95f, 1.0f} * fade;
  }
}

// A dancer against the sun's reflection: a dark figure with a neon rim.
void addSilhouette(Canvas& canvas, float loop) {
  FolkLook look;
  const Vec3 dark{0.03f, 0.0f, 0.06f};
  look.skin = look.hair = look.shirt = look.pants = look.shoes = dark;
  look.outline = {1.0f, 0.35f, 0.75f};
  const int scale = 3;
  drawPixelSprite(canvas, rasterizeFolk(dancePose(loop * 2.0f), look), 560 - kFolkGridWidth * scale / 2,
                  kGreetsHeight - 8 - kFolkGridHeight * scale, scale, false);
}

}  // namespace

Canvas renderGreetsAt(float loop) {
  Canvas canvas =
      renderSupersampled(kGreetsWidth, kGreetsHeight, 2, [&](float x, float y) { return shade(x, y, loop); });
  addStars(canvas, loop);
  addShootingStar(canvas, loop);
  addSilhouette(canvas, loop);
  return canvas;
}

Canvas renderGreetsFrame(int frame) {
  return renderGreetsAt(float((frame % kGreetsFrames + kGreetsFrames) % kGreetsFrames) / float(kGreetsFrames));
}

}  // namespace mkmedia
