#include "noise.h"

#include <cmath>

namespace mkmedia {

uint32_t hash32(uint32_t v) {
  // lowbias32 by Chris Wellons: good avalanche for lattice hashing.
  v ^= v >> 16;
  v *= 0x7feb352dU;
  v ^= v >> 15;
  v *= 0x846ca68bU;
  v ^= v >> 16;
  return v;
}

uint32_t hash2(int32_t x, int32_t y, uint32_t seed) { return hash32(uint32_t(x) ^ hash32(uint32_t(y) ^ hash32(seed))); }

float hashFloat(int32_t x, int32_t y, uint32_t seed) { return float(hash2(x, y, seed) >> 8) * (1.0f / 16777216.0f); }

uint32_t SeededRandom::next() {
  uint64_t old = state_;
  state_ = old * 6364136223846793005ull + 1442695040888963407ull;
  uint32_t xorshifted = uint32_t(((old >> 18u) ^ old) >> 27u);
  uint32_t rot = uint32_t(old >> 59u);
  return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

float SeededRandom::uniform() { return float(next() >> 8) * (1.0f / 16777216.0f); }

float SeededRandom::range(float low, float high) { return low + (high - low) * uniform(); }

namespace {

int wrap(int v, int period) {
  int r = v % period;
  return r < 0 ? r + period : r;
}

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

}  // namespace

float periodicNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
  // Gradient (Perlin) noise: unlike value noise it shows no lattice grid.
  float fx = std::floor(x), fy = std::floor(y);
  int ix = int(fx), iy = int(fy);
  float rx = x - fx, ry = y - fy;
  auto corner = [&](int cx, int cy, float dx, float dy) {
    float angle = hashFloat(wrap(ix + cx, periodX), wrap(iy + cy, periodY), seed) * 6.28318530718f;
    return std::cos(angle) * dx + std::sin(angle) * dy;
  };
  float a = corner(0, 0, rx, ry), b = corner(1, 0, rx - 1, ry);
  float c = corner(0, 1, rx, ry - 1), d = corner(1, 1, rx - 1, ry - 1);
  float tx = fade(rx), ty = fade(ry);
  float top = a + (b - a) * tx;
  float bottom = c + (d - c) * tx;
  // Unit gradients keep the sum within +-sqrt(1/2).
  return 0.5f + (top + (bottom - top) * ty) * 0.70710678f;
}

float periodicFbm(float x, float y, int periodX, int periodY, int octaves, float gain, uint32_t seed) {
  float sum = 0, weight = 1, total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += weight * periodicNoise(x, y, periodX, periodY, seed + uint32_t(i) * 977u);
    total += weight;
    weight *= gain;
    x *= 2;
    y *= 2;
    periodX *= 2;
    periodY *= 2;
  }
  return sum / total;
}

}  // namespace mkmedia
