// Deterministic randomness: integer hashes, a seeded generator, and value
// noise that can be made periodic so that tiled pictures wrap without seams.
#pragma once

#include <cstdint>

namespace mkmedia {

uint32_t hash32(uint32_t v);
uint32_t hash2(int32_t x, int32_t y, uint32_t seed);
// Uniform in [0, 1) from a lattice point.
float hashFloat(int32_t x, int32_t y, uint32_t seed);

// Small PCG-style generator; the same seed always gives the same sequence.
class SeededRandom {
 public:
  explicit SeededRandom(uint64_t seed) : state_(seed * 6364136223846793005ull + 1442695040888963407ull) {}
  uint32_t next();
  float uniform();                     // [0, 1)
  float range(float low, float high);  // [low, high)

 private:
  uint64_t state_;
};

// Smooth gradient noise in [0, 1] on a lattice that repeats every periodX cells
// across and periodY cells down (x and y in lattice units).
float periodicNoise(float x, float y, int periodX, int periodY, uint32_t seed);

// Sum of `octaves` layers of periodicNoise, each with twice the frequency and
// `gain` times the weight of the one before; normalised to [0, 1].
float periodicFbm(float x, float y, int periodX, int periodY, int octaves, float gain, uint32_t seed);

}  // namespace mkmedia
