// Each converter over a full frame (480 rows of 640 pixels), timed in the same
// iterations as a memcpy of the same destination bytes and as SDL_ConvertPixels
// for the same pair of formats. Counters:
//   bytes_per_second  destination bytes written per second by the converter
//   vs_memcpy         memcpy time / converter time (1.0 = as fast as memcpy)
//   vs_SDL            SDL_ConvertPixels time / converter time (the speed-up)
// Then each row set's 16-bit packs the same way against memcpy alone
// ("rows/SSE2/pack565"), the sets this processor runs, so that the set a
// converter does not pick can still be compared.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "display/pixel_converters.h"
#include "display/pixel_rows.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Format {
  const char* name;
  PixelConverter converter;
  uint32_t sdlFormat;
  int bytesPerPixel;
};

const Format kFormats[] = {
    {"convert32Rgb888", convert32Rgb888, SDL_PIXELFORMAT_RGB888, 4},
    {"convert32Bgr888", convert32Bgr888, SDL_PIXELFORMAT_BGR888, 4},
    {"convert24Rgb888", convert24Rgb888, SDL_PIXELFORMAT_BGR24, 3},
    {"convert24Bgr888", convert24Bgr888, SDL_PIXELFORMAT_RGB24, 3},
    {"convert16Rgb565", convert16Rgb565, SDL_PIXELFORMAT_RGB565, 2},
    {"convert16Bgr565", convert16Bgr565, SDL_PIXELFORMAT_BGR565, 2},
    {"convert16Rgb555", convert16Rgb555, SDL_PIXELFORMAT_RGB555, 2},
    {"convert16Bgr555", convert16Bgr555, SDL_PIXELFORMAT_BGR555, 2},
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void convertFrame(benchmark::State& state, const Format& format) {
  std::vector<uint32_t> frame(kWidth * kHeight);
  std::mt19937 random(1);
  for (uint32_t& pixel : frame) pixel = random() & 0xFFFFFF;
  const size_t rowBytes = static_cast<size_t>(kWidth * format.bytesPerPixel);
  std::vector<uint8_t> ours(rowBytes * kHeight), copied(rowBytes * kHeight), sdl(rowBytes * kHeight);

  double oursSeconds = 0, memcpySeconds = 0, sdlSeconds = 0;
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    for (int row = 0; row < kHeight; ++row) format.converter(&frame[row * kWidth], &ours[row * rowBytes], kWidth);
    benchmark::ClobberMemory();
    const double elapsed = secondsSince(start);
    oursSeconds += elapsed;
    state.SetIterationTime(elapsed);

    start = Clock::now();
    for (int row = 0; row < kHeight; ++row) std::memcpy(&copied[row * rowBytes], &frame[row * kWidth], rowBytes);
    benchmark::ClobberMemory();
    memcpySeconds += secondsSince(start);

    start = Clock::now();
    SDL_ConvertPixels(kWidth, kHeight, SDL_PIXELFORMAT_RGB888, frame.data(), kWidth * 4, format.sdlFormat, sdl.data(),
                      static_cast<int>(rowBytes));
    benchmark::ClobberMemory();
    sdlSeconds += secondsSince(start);
  }
  if (format.bytesPerPixel < 4 && std::memcmp(ours.data(), sdl.data(), ours.size()) != 0) {
    state.SkipWithError("the converter and SDL_ConvertPixels disagree");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(ours.size()));
  state.counters["vs_memcpy"] = memcpySeconds / oursSeconds;
  state.counters["vs_SDL"] = sdlSeconds / oursSeconds;
}

using RowRoutine = void (*)(uint8_t*, const uint32_t*, size_t);

void packFrame(benchmark::State& state, RowRoutine routine) {
  std::vector<uint32_t> frame(kWidth * kHeight);
  std::mt19937 random(1);
  for (uint32_t& pixel : frame) pixel = random() & 0xFFFFFF;
  const size_t rowBytes = kWidth * 2;
  std::vector<uint8_t> ours(rowBytes * kHeight), copied(rowBytes * kHeight);

  double oursSeconds = 0, memcpySeconds = 0;
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    for (int row = 0; row < kHeight; ++row) routine(&ours[row * rowBytes], &frame[row * kWidth], kWidth);
    benchmark::ClobberMemory();
    const double elapsed = secondsSince(start);
    oursSeconds += elapsed;
    state.SetIterationTime(elapsed);

    start = Clock::now();
    for (int row = 0; row < kHeight; ++row) std::memcpy(&copied[row * rowBytes], &frame[row * kWidth], rowBytes);
    benchmark::ClobberMemory();
    memcpySeconds += secondsSince(start);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(ours.size()));
  state.counters["vs_memcpy"] = memcpySeconds / oursSeconds;
}

struct PackSet {
  const char* name;
  bool runs;
  RowRoutine pack565, pack565Swapped, pack555, pack555Swapped;
};

std::vector<PackSet> packSets() {
  std::vector<PackSet> sets = {{"portable", true, portable_rows::pack565, portable_rows::pack565Swapped,
                                portable_rows::pack555, portable_rows::pack555Swapped}};
#if PIXELFOLK_SIMD_ROWS
  sets.push_back(
      {"SSE2", true, sse2_rows::pack565, sse2_rows::pack565Swapped, sse2_rows::pack555, sse2_rows::pack555Swapped});
  sets.push_back({"SSSE3", platform::processorHasSsse3(), ssse3_rows::pack565, ssse3_rows::pack565Swapped,
                  ssse3_rows::pack555, ssse3_rows::pack555Swapped});
  sets.push_back({"AVX2", platform::processorHasAvx2(), avx2_rows::pack565, avx2_rows::pack565Swapped,
                  avx2_rows::pack555, avx2_rows::pack555Swapped});
#endif
  return sets;
}

const bool registered = [] {
  for (const Format& format : kFormats) {
    benchmark::RegisterBenchmark(format.name, convertFrame, format)->UseManualTime()->Unit(benchmark::kMicrosecond);
  }
  for (const PackSet& set : packSets()) {
    if (!set.runs) continue;
    const std::pair<const char*, RowRoutine> packs[] = {{"pack565", set.pack565},
                                                        {"pack565Swapped", set.pack565Swapped},
                                                        {"pack555", set.pack555},
                                                        {"pack555Swapped", set.pack555Swapped}};
    for (const auto& [pack, routine] : packs) {
      const std::string name = std::string("rows/") + set.name + "/" + pack;
      benchmark::RegisterBenchmark(name.c_str(), packFrame, routine)->UseManualTime()->Unit(benchmark::kMicrosecond);
    }
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
