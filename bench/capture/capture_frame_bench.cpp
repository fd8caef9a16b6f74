// What the capture tool does to each frame after drawing it: PNG encoding
// with each compression setting, and the YUV conversion for video, on real
// frames of the show's four scenes. "x_memcpy" is the time as a multiple of
// one memcpy of the framebuffer, timed in the same iterations; "bytes" is the
// PNG's size.
//
// Run from anywhere: the show is loaded from the build's show folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "png_encoder.h"
#include "render/screen.h"
#include "show_replay.h"
#include "yuv_frame.h"

namespace {

using Clock = std::chrono::steady_clock;

struct SceneTime {
  const char* name;
  double seconds;
};
constexpr SceneTime kScenes[] = {{"opening", 20.0}, {"title", 45.0}, {"greetings", 60.0}, {"closing", 90.0}};

// Each scene's frame, drawn once by replaying the show up to it.
const std::vector<uint32_t>& frameOf(const char* scene) {
  static const std::map<std::string, std::vector<uint32_t>> frames = [] {
    if (chdir(PIXELFOLK_SHOW_DIR) != 0) {
      std::fprintf(stderr, "cannot enter %s: build the show first\n", PIXELFOLK_SHOW_DIR);
      std::exit(2);
    }
    std::map<std::string, std::vector<uint32_t>> drawn;
    ShowReplay replay(0.0);
    for (const SceneTime& s : kScenes) {
      replay.renderFrame(s.seconds);
      drawn[s.name].assign(Screen::pixels, Screen::pixels + Screen::pixelCount);
    }
    return drawn;
  }();
  return frames.at(scene);
}

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double median(std::vector<double>& values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// Times `work` on the scene's frame, with a memcpy of the frame after it.
template <class Work>
void timeAgainstMemcpy(benchmark::State& state, const std::vector<uint32_t>& frame, Work work) {
  std::vector<uint32_t> copied(frame.size());
  std::vector<double> workSeconds, copySeconds;
  for (auto _ : state) {
    auto start = Clock::now();
    work();
    workSeconds.push_back(since(start));
    start = Clock::now();
    std::memcpy(copied.data(), frame.data(), frame.size() * sizeof frame[0]);
    benchmark::DoNotOptimize(copied.data());
    benchmark::ClobberMemory();
    copySeconds.push_back(since(start));
  }
  state.counters["x_memcpy"] = median(workSeconds) / median(copySeconds);
}

void pngFrame(benchmark::State& state, const char* scene, PngCompression compression) {
  const std::vector<uint32_t>& frame = frameOf(scene);
  FramePngEncoder encoder(compression);
  std::vector<uint8_t> png;
  std::string error;
  timeAgainstMemcpy(state, frame, [&] {
    if (!encoder.encode(frame.data(), Screen::width, Screen::height, &png, &error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(png.data());
  });
  state.counters["bytes"] = static_cast<double>(png.size());
}

void yuvFrame(benchmark::State& state, const char* scene) {
  const std::vector<uint32_t>& frame = frameOf(scene);
  std::vector<uint8_t> yuv(yuv420Size(Screen::width, Screen::height));
  timeAgainstMemcpy(state, frame, [&] {
    convertToYuv420(frame.data(), Screen::width, Screen::height, yuv.data());
    benchmark::DoNotOptimize(yuv.data());
    benchmark::ClobberMemory();
  });
}

const bool registered = [] {
  const struct {
    const char* name;
    PngCompression compression;
  } settings[] = {
      {"fast", PngCompression::fast}, {"libdeflate", PngCompression::libdeflate}, {"zlib", PngCompression::zlib}};
  for (const SceneTime& s : kScenes) {
    for (const auto& setting : settings) {
      const std::string name = std::string("png/") + setting.name + "/" + s.name;
      benchmark::RegisterBenchmark(name.c_str(), pngFrame, s.name, setting.compression)->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark((std::string("yuv/") + s.name).c_str(), yuvFrame, s.name)
        ->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
