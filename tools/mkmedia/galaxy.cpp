#include <algorithm>
#include <cmath>

#include "keyed.h"
#include "middle_pictures.h"
#include "noise.h"

namespace mkmedia {

namespace {

constexpr float kTilt = 0.52f;           // minor / major axis of the tilted disc
constexpr float kTurn = -0.38f;          // position angle of the major axis
constexpr float kScale = 1.0f / 118.0f;  // disc units per pixel
constexpr float kPitch = 0.32f;          // tan of the arms' pitch angle

float noise(float x, float y, int octaves, uint32_t seed) {
  return periodicFbm(x, y, 4096, 4096, octaves, 0.55f, seed);
}

Vec3 shadeGalaxy(float x, float y) {
  float sx = (x - kMiddleWidth * 0.5f) * kScale, sy = (y - kMiddleHeight * 0.5f) * kScale;
  // Into the disc's own plane: undo the turn, then the tilt.
  float u = sx * std::cos(kTurn) + sy * std::sin(kTurn);
  float v = (-sx * std::sin(kTurn) + sy * std::cos(kTurn)) / kTilt;
  float r = std::sqrt(u * u + v * v);
  float theta = std::atan2(v, u);

  // Two logarithmic arms, roughened so they break into clumps.
  float phase = theta - std::log(std::max(r, 1e-3f)) / kPitch;
  float lumps = noise(u * 7.0f + 20.0f, v * 7.0f + 20.0f, 4, 3);
  float arms = std::pow(0.5f + 0.5f * std::cos(2.0f * phase + 1.8f * (lumps - 0.5f)), 3.0f);
  float disc = std::exp(-r / 0.32f);
  float armLight = arms * std::exp(-r / 0.45f) * smoothstep(0.08f, 0.25f, r);

  // Dust on the inner side of each arm.
  float dust = std::pow(0.5f + 0.5f * std::cos(2.0f * phase + 1.1f), 8.0f) * smoothstep(0.1f, 0.3f, r) *
               std::exp(-r / 0.7f) * (0.6f + 0.8f * noise(u * 12.0f, v * 12.0f, 3, 7));

  Vec3 colour = Vec3{0.45f, 0.6f, 1.0f} * (2.1f * armLight) + Vec3{0.7f, 0.65f, 0.85f} * (0.5f * disc);
  // The bulge: old, golden stars.
  float bulge = std::exp(-(r * r) / 0.012f);
  colour += Vec3{1.0f, 0.85f, 0.55f} * (1.3f * bulge + 0.4f * std::exp(-r / 0.09f));
  // Pink star-forming knots strung along the arms.
  float knots = smoothstep(0.66f, 0.78f, noise(u * 22.0f + 5.0f, v * 22.0f, 3, 11)) * arms * smoothstep(0.15f, 0.3f, r);
  colour += Vec3{1.0f, 0.3f, 0.55f} * (1.6f * knots * std::exp(-r / 0.8f));
  colour = colour * (1.0f - 0.75f * clamp01(dust));

  // Fade out well inside the picture.
  float edge = 1.0f - smoothstep(0.9f, 1.25f, r);
  return glowOrNothing(colour * (1.5f * edge), 0.14f);
}

// Single bright stars scattered over the disc, densest along the arms.
void addDiscStars(Canvas& canvas) {
  SeededRandom random(1987);
  for (int i = 0; i < 140; ++i) {
    float r = 0.12f + 0.9f * std::sqrt(random.uniform());
    float theta = random.range(0, kTau);
    float u = r * std::cos(theta), v = r * std::sin(theta) * kTilt;
    float x = (u * std::cos(kTurn) - v * std::sin(kTurn)) / kScale + kMiddleWidth * 0.5f;
    float y = (u * std::sin(kTurn) + v * std::cos(kTurn)) / kScale + kMiddleHeight * 0.5f;
    int px = int(x), py = int(y);
    if (!canvas.contains(px, py)) continue;
    // Only where the disc itself shows: a lone star off the disc is a speck.
    const Vec3& under = canvas.at(px, py);
    if (std::max({under.x, under.y, under.z}) < 0.2f) continue;
    float b = 0.25f + 0.5f * random.uniform() * (1.0f - smoothstep(0.6f, 1.0f, r));
    canvas.at(px, py) += Vec3{0.8f, 0.9f, 1.0f} * b;
  }
}

}  // namespace

Canvas makeGalaxy() {
  Canvas canvas = renderSupersampled(kMiddleWidth, kMiddleHeight, 2, shadeGalaxy);
  addDiscStars(canvas);
  finishKeyed(canvas);
  return canvas;
}

}  // namespace mkmedia
