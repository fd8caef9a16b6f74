#include <cmath>

#include "keyed.h"
#include "middle_pictures.h"
#include "noise.h"

namespace mkmedia {

namespace {

constexpr float kRadius = 60.0f;  // photosphere, pixels

// Non-repeating noise for a single picture: a lattice far larger than it.
float noise(float x, float y, int octaves, uint32_t seed) {
  return periodicFbm(x, y, 4096, 4096, octaves, 0.55f, seed);
}

// Hot white-yellow in the middle to deep orange at the limb.
Vec3 photosphere(float heat) {
  Vec3 deep{0.9f, 0.28f, 0.04f}, warm{1.0f, 0.62f, 0.15f}, white{1.05f, 0.98f, 0.85f};
  return heat < 0.5f ? mix(deep, warm, heat * 2.0f) : mix(warm, white, (heat - 0.5f) * 2.0f);
}

Vec3 shadeSun(float x, float y) {
  const float cx = kMiddleWidth * 0.5f, cy = kMiddleHeight * 0.5f;
  float dx = x - cx, dy = y - cy;
  float r = std::sqrt(dx * dx + dy * dy);
  float angle = std::atan2(dy, dx);
  Vec3 colour{};

  if (r < kRadius) {
    float mu = std::sqrt(1.0f - (r / kRadius) * (r / kRadius));
    // Granules: cells of convection, finer toward the limb by projection.
    float granules = noise(x * 0.22f, y * 0.22f, 4, 5);
    float spots = smoothstep(0.66f, 0.74f, noise(x * 0.05f + 30.0f, y * 0.05f, 3, 9));
    float heat = (0.2f + 0.7f * mu) * (0.8f + 0.35f * granules) * (1.0f - 0.7f * spots);
    colour = photosphere(clamp01(heat)) * (0.6f + 0.4f * mu);
  }

  // Corona: tongues of flame whose reach varies around the limb; keyed
  // against the background it ends in a fiery edge rather than a murky halo.
  float outside = std::max(0.0f, r - kRadius);
  float tongues = noise(std::cos(angle) * 4.0f + 50.0f, std::sin(angle) * 4.0f + 50.0f, 4, 13);
  float reach = 6.0f + 30.0f * tongues * tongues;
  if (r >= kRadius) {
    float along = outside / reach;  // 0 at the limb, 1 at the tip of the flame
    float flicker = noise(angle * 20.0f + 7.0f, outside * 0.15f, 3, 21);
    Vec3 flame = mix(Vec3{1.0f, 0.75f, 0.25f}, Vec3{0.85f, 0.18f, 0.05f}, smoothstep(0.0f, 1.0f, along));
    float body = (1.0f - smoothstep(0.75f, 1.0f, along)) * (0.55f + 0.45f * flicker);
    colour += flame * body;
  }

  // A horizontal lens streak, tapering before the edges.
  float streak = std::exp(-dy * dy / 6.0f) * std::max(0.0f, 1.0f - std::fabs(dx) / (cx - 12.0f));
  colour += Vec3{0.45f, 0.65f, 1.0f} * (0.9f * streak);
  return r < kRadius ? colour : glowOrNothing(colour, 0.17f);
}

}  // namespace

Canvas makeSun() {
  Canvas canvas = renderSupersampled(kMiddleWidth, kMiddleHeight, 2, shadeSun);
  finishKeyed(canvas);
  return canvas;
}

}  // namespace mkmedia
