// Whole frames of the generated show: one frame of each scene drawn by the
// scene script with the instrument counters inside that scene's range, then
// converted for a 32-bit and a 16-bit display as the display does every
// frame. The "x_memcpy" counter is the frame's time (drawing plus conversion)
// as a multiple of one memcpy of the framebuffer, timed in the same
// iterations so that both see the same machine load; "draw_x_memcpy" is the
// drawing alone.
//
// Run from anywhere: the show is loaded from the build's show folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/frame_clock.h"
#include "display/pixel_converters.h"
#include "loaded_show.h"
#include "render/screen.h"
#include "render/show_state.h"
#include "script/scene.h"

namespace {

struct SceneCase {
  const char* name;
  int32_t hits1;
  int32_t hits4;
  double showTime;  // the closing lines need 86 s of show
};

// Counts from the middle of each scene's range; the closing has both credits
// and its last two lines, its fullest frame.
constexpr SceneCase kScenes[] = {
    {"opening", 300, 0, 20.0},
    {"title", 800, 60, 45.0},
    {"greetings", 1000, 100, 60.0},
    {"closing", 1200, 150, 90.0},
};

struct Target {
  const char* name;
  PixelConverter converter;
  int bytesPerPixel;
};

constexpr Target kTargets[] = {{"32bit", convert32Rgb888, 4}, {"16bit", convert16Rgb565, 2}};

void wholeFrame(benchmark::State& state, const SceneCase& scene, const Target& target) {
  bench::LoadedShow& s = bench::loadedShow();
  const size_t rowBytes = static_cast<size_t>(Screen::width) * target.bytesPerPixel;
  std::vector<uint8_t> surface(rowBytes * Screen::height);
  std::vector<uint32_t> copied(Screen::pixelCount);
  constexpr double kOrigin = 1024.0;
  FrameClock clock(kOrigin);
  double t = scene.showTime;
  showState.instrument1Hits = scene.hits1;
  showState.instrument4Hits = scene.hits4;

  // Medians, not sums: on a shared machine a few iterations are cut by other
  // processes, and one such iteration would weigh on a sum.
  std::vector<double> frameSeconds, drawSeconds, copySeconds;
  for (auto _ : state) {
    // The clock moves on by one 60 Hz frame, as in the live show, so the
    // animations and the scrolling advance.
    t += 1.0 / 60.0;
    clock.update(kOrigin + t);
    auto start = bench::Clock::now();
    runScene(*s.data, clock, *s.font);
    benchmark::ClobberMemory();
    const double drawn = bench::since(start);

    start = bench::Clock::now();
    for (int y = 0; y < Screen::height; ++y) {
      target.converter(Screen::pixels + y * Screen::width, surface.data() + y * rowBytes, Screen::width);
    }
    benchmark::DoNotOptimize(surface.data());
    benchmark::ClobberMemory();
    drawSeconds.push_back(drawn);
    frameSeconds.push_back(drawn + bench::since(start));

    start = bench::Clock::now();
    std::memcpy(copied.data(), Screen::pixels, sizeof Screen::pixels);
    benchmark::DoNotOptimize(copied.data());
    benchmark::ClobberMemory();
    copySeconds.push_back(bench::since(start));
  }
  const double copy = bench::median(copySeconds);
  state.counters["x_memcpy"] = bench::median(frameSeconds) / copy;
  state.counters["draw_x_memcpy"] = bench::median(drawSeconds) / copy;
}

const bool registered = [] {
  for (const SceneCase& scene : kScenes) {
    for (const Target& target : kTargets) {
      const std::string name = std::string(scene.name) + "/" + target.name;
      benchmark::RegisterBenchmark(name.c_str(), wholeFrame, scene, target)->Unit(benchmark::kMicrosecond);
    }
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
