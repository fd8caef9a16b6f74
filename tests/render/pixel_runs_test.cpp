#include "render/pixel_runs.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

constexpr uint32_t kOld = 0xAB000000u;  // never produced by packing

struct Runs {
  const char* name;
  void (*pack)(const uint8_t*, uint32_t*, int64_t);
  void (*keyed)(const uint8_t*, const uint8_t*, uint32_t*, int64_t);
  void (*stencil)(const uint32_t*, uint32_t*, int64_t, uint32_t);
};

// Every version this processor runs; the vector ones share the stencil.
std::vector<Runs> allRuns() {
  std::vector<Runs> runs = {
      {"dispatched", pixelruns::packRgbRun, pixelruns::packKeyedRun, pixelruns::stencilRun},
      {"scalar", pixelruns::packRgbRunScalar, pixelruns::packKeyedRunScalar, pixelruns::stencilRunScalar},
  };
#if defined(__x86_64__) || defined(__i386__)
  if (platform::processorHasSsse3()) {
    runs.push_back({"SSSE3", pixelruns::packRgbRunSsse3, pixelruns::packKeyedRunSsse3, pixelruns::stencilRun});
  }
  if (platform::processorHasAvx2()) {
    runs.push_back({"AVX2", pixelruns::packRgbRunAvx2, pixelruns::packKeyedRunAvx2, pixelruns::stencilRun});
  }
#endif
  return runs;
}

// Bytes clustered round the thresholds 20 and 50, where off-by-one faults show.
std::vector<uint8_t> randomBytes(size_t size, std::mt19937& random) {
  std::vector<uint8_t> bytes(size);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random() % 4 == 0 ? random() : 15 + random() % 40);
  return bytes;
}

TEST(PixelRuns, EveryLengthMatchesTheOnePixelRule) {
  std::mt19937 random(7);
  for (const Runs& runs : allRuns()) {
    // Past three steps of the widest loop and every length of its rest.
    for (int64_t count = 0; count <= 45; ++count) {
      // Sources sized exactly, so a read past the run is an out-of-bounds read.
      const std::vector<uint8_t> rgb = randomBytes(3 * count, random), key = randomBytes(3 * count, random);
      // Glyph words as cut carry no top byte; some here do, which must not count as ink.
      std::vector<uint32_t> glyph(count);
      for (uint32_t& w : glyph) {
        const auto bytes = randomBytes(3, random);
        w = static_cast<uint32_t>(bytes[0]) << 16 | bytes[1] << 8 | bytes[2] | (random() % 2 ? 0xC4000000u : 0);
      }

      std::vector<uint32_t> packed(count + 1, kOld), ownKey(count + 1, kOld), masked(count + 1, kOld),
          stencilled(count + 1, kOld);
      runs.pack(rgb.data(), packed.data(), count);
      runs.keyed(rgb.data(), rgb.data(), ownKey.data(), count);
      runs.keyed(rgb.data(), key.data(), masked.data(), count);
      runs.stencil(glyph.data(), stencilled.data(), count, 0x12345678u);

      for (int64_t i = 0; i < count; ++i) {
        const uint8_t* p = &rgb[3 * i];
        const uint8_t* k = &key[3 * i];
        const uint32_t word = static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
        const bool ownHidden = p[0] < 20 && p[1] < 20 && p[2] < 20;
        const bool maskHidden = k[0] < 20 && k[1] < 20 && k[2] < 20;
        const uint32_t g = glyph[i];
        const bool ink = (g >> 16 & 0xFF) >= 50 || (g >> 8 & 0xFF) >= 50 || (g & 0xFF) >= 50;
        ASSERT_EQ(packed[i], word) << runs.name << " count " << count << " pixel " << i;
        ASSERT_EQ(ownKey[i], ownHidden ? kOld : word) << runs.name << " count " << count << " pixel " << i;
        ASSERT_EQ(masked[i], maskHidden ? kOld : word) << runs.name << " count " << count << " pixel " << i;
        ASSERT_EQ(stencilled[i], ink ? 0x12345678u : kOld) << runs.name << " count " << count << " pixel " << i;
      }
      for (const auto* out : {&packed, &ownKey, &masked, &stencilled}) {
        EXPECT_EQ(out->back(), kOld) << runs.name << " wrote past a run of " << count;
      }
    }
  }
}

}  // namespace
