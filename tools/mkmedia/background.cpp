#include "background.h"

#include <cmath>

#include "noise.h"

namespace mkmedia {

namespace {

// Noise lattice cells of 160 pixels: 4 across and 3 down, so every octave
// (which doubles both counts) still repeats exactly at 640 x 480.
constexpr float kCell = 160.0f;
constexpr int kCellsX = kBackdropWidth / 160;
constexpr int kCellsY = kBackdropHeight / 160;

float fbm(float x, float y, int octaves, uint32_t seed) {
  return periodicFbm(x / kCell, y / kCell, kCellsX, kCellsY, octaves, 0.5f, seed);
}

// Gas clouds: domain-warped noise, so the wisps curl instead of blobbing.
Vec3 nebula(float x, float y) {
  float wx = fbm(x, y, 4, 11) - 0.5f;
  float wy = fbm(x, y, 4, 23) - 0.5f;
  float u = x + 220.0f * wx, v = y + 220.0f * wy;
  float gas = fbm(u, v, 6, 37);
  float hue = fbm(u + 31.0f, v, 3, 41);
  float dust = fbm(x, y, 5, 53);

  float density = smoothstep(0.42f, 0.72f, gas);
  Vec3 deep{0.015f, 0.02f, 0.07f};
  Vec3 teal{0.02f, 0.22f, 0.30f};
  Vec3 violet{0.30f, 0.06f, 0.34f};
  Vec3 rose{0.48f, 0.12f, 0.22f};
  Vec3 tint = mix(teal, violet, smoothstep(0.4f, 0.6f, hue));
  tint = mix(tint, rose, smoothstep(0.55f, 0.68f, hue) * smoothstep(0.55f, 0.75f, gas));
  Vec3 colour = mix(deep, tint, density);
  // Dark lanes of dust cut through the bright gas.
  colour = colour * (1.0f - 0.75f * smoothstep(0.5f, 0.66f, dust));
  // Bright filaments along the densest ridges (integer scale keeps the period).
  float ridge = 1.0f - std::fabs(fbm(u * 2.0f, v * 2.0f, 4, 67) - 0.5f) * 6.0f;
  colour += tint * (0.5f * density * std::max(0.0f, ridge) * std::max(0.0f, ridge));
  return colour;
}

// Adds a star at (cx, cy) with wrap-around, as a small gaussian with spikes.
void addStar(Canvas& canvas, float cx, float cy, float radius, float brightness, Vec3 tint, bool spikes) {
  const int reach = int(std::ceil(radius * (spikes ? 7.0f : 4.0f)));
  for (int dy = -reach; dy <= reach; ++dy) {
    for (int dx = -reach; dx <= reach; ++dx) {
      int px = int(std::floor(cx)) + dx, py = int(std::floor(cy)) + dy;
      float ox = float(px) + 0.5f - cx, oy = float(py) + 0.5f - cy;
      float d2 = (ox * ox + oy * oy) / (radius * radius);
      float light = std::exp(-d2 * 1.6f);
      if (spikes) {
        float ax = std::fabs(ox) / radius, ay = std::fabs(oy) / radius;
        light += 0.35f * std::exp(-ay * ay * 6.0f) * std::exp(-ax * 0.7f);
        light += 0.35f * std::exp(-ax * ax * 6.0f) * std::exp(-ay * 0.7f);
      }
      int wx = ((px % kBackdropWidth) + kBackdropWidth) % kBackdropWidth;
      int wy = ((py % kBackdropHeight) + kBackdropHeight) % kBackdropHeight;
      canvas.at(wx, wy) += tint * (light * brightness);
    }
  }
}

void addStars(Canvas& canvas) {
  SeededRandom random(2004);
  const Vec3 tints[] = {{1.0f, 1.0f, 1.0f}, {0.75f, 0.85f, 1.0f}, {1.0f, 0.85f, 0.7f}, {0.9f, 0.8f, 1.0f}};
  for (int i = 0; i < 900; ++i) {
    float x = random.range(0, kBackdropWidth), y = random.range(0, kBackdropHeight);
    float b = random.uniform();
    Vec3 tint = tints[random.next() % 4];
    addStar(canvas, x, y, 0.55f, 0.1f + 0.5f * b * b * b, tint, false);
  }
  for (int i = 0; i < 24; ++i) {
    float x = random.range(0, kBackdropWidth), y = random.range(0, kBackdropHeight);
    Vec3 tint = tints[random.next() % 4];
    addStar(canvas, x, y, 1.1f + random.uniform() * 0.7f, 0.6f + 0.3f * random.uniform(), tint, true);
  }
}

}  // namespace

Canvas makeBackdrop() {
  Canvas canvas = renderSupersampled(kBackdropWidth, kBackdropHeight, 1, nebula);
  addStars(canvas);
  return canvas;
}

}  // namespace mkmedia
