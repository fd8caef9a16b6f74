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
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/frame_clock.h"
#include "display/pixel_converters.h"
#include "music/instrument_counters.h"
#include "render/font.h"
#include "render/screen.h"
#include "resources/data_controller.h"
#include "script/scene.h"

namespace {

using Clock = std::chrono::steady_clock;

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

struct LoadedShow {
  std::unique_ptr<DataController> data;
  std::unique_ptr<Font> font;
};

LoadedShow& show() {
  static LoadedShow loaded = [] {
    if (chdir(PIXELFOLK_SHOW_DIR) != 0) {
      std::fprintf(stderr, "cannot enter %s: build the show first\n", PIXELFOLK_SHOW_DIR);
      std::exit(2);
    }
    LoadedShow s;
    s.data = std::make_unique<DataController>("resinfo.rli");
    s.font = std::make_unique<Font>(16, 8, 32, 32, s.data->getPicture(0));
    return s;
  }();
  return loaded;
}

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void wholeFrame(benchmark::State& state, const SceneCase& scene, const Target& target) {
  LoadedShow& s = show();
  const size_t rowBytes = static_cast<size_t>(Screen::width) * target.bytesPerPixel;
  std::vector<uint8_t> surface(rowBytes * Screen::height);
  std::vector<uint32_t> copy(Screen::pixelCount);
  constexpr double kOrigin = 1024.0;
  FrameClock clock(kOrigin);
  double t = scene.showTime;
  instrument1Hits.store(scene.hits1);
  instrument4Hits.store(scene.hits4);

  double drawSeconds = 0, convertSeconds = 0, copySeconds = 0;
  for (auto _ : state) {
    // The clock moves on by one 60 Hz frame, as in the live show, so the
    // animations and the scrolling advance.
    t += 1.0 / 60.0;
    clock.update(kOrigin + t);
    auto start = Clock::now();
    runScene(*s.data, clock, *s.font);
    benchmark::ClobberMemory();
    drawSeconds += since(start);

    start = Clock::now();
    for (int y = 0; y < Screen::height; ++y) {
      target.converter(Screen::pixels + y * Screen::width, surface.data() + y * rowBytes, Screen::width);
    }
    benchmark::DoNotOptimize(surface.data());
    benchmark::ClobberMemory();
    convertSeconds += since(start);

    start = Clock::now();
    std::memcpy(copy.data(), Screen::pixels, sizeof Screen::pixels);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
    copySeconds += since(start);
  }
  state.counters["x_memcpy"] = (drawSeconds + convertSeconds) / copySeconds;
  state.counters["draw_x_memcpy"] = drawSeconds / copySeconds;
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
