// Frame-time costs of the drawing operations, each as a multiple of copying
// the framebuffer's 1,228,800 bytes with memcpy in the same run (the
// "x_memcpy" counter), so that figures compare across machines.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "render/blits.h"
#include "render/font.h"
#include "render/screen.h"
#include "resources/picture.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint32_t> copyTarget(Screen::pixelCount);

void copyFramebuffer() {
  std::memcpy(copyTarget.data(), Screen::pixels, sizeof Screen::pixels);
  benchmark::DoNotOptimize(copyTarget.data());
  benchmark::ClobberMemory();
}

// Each iteration times the operation and then one framebuffer memcpy, so
// that both see the same machine load and the ratio stays meaningful on a
// shared machine.
template <typename Operation>
void runRelative(benchmark::State& state, Operation operation) {
  double operationSeconds = 0.0, copySeconds = 0.0;
  for (auto _ : state) {
    const auto start = Clock::now();
    operation();
    benchmark::ClobberMemory();
    const auto middle = Clock::now();
    copyFramebuffer();
    const auto end = Clock::now();
    operationSeconds += std::chrono::duration<double>(middle - start).count();
    copySeconds += std::chrono::duration<double>(end - middle).count();
  }
  state.counters["x_memcpy"] = operationSeconds / copySeconds;
}

Picture makePicture(int width, int height, bool keyedHoles) {
  Picture picture;
  picture.image = std::make_unique<Image>(Image{3 * width, width, height, {}});
  picture.image->pixels.resize(static_cast<size_t>(3 * width * height));
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      uint8_t* p = &picture.image->pixels[static_cast<size_t>(3 * (j * width + i))];
      // Roughly half of a sprite is background: dark pixels in blobs.
      const bool hole = keyedHoles && ((i / 7 + j / 5) % 2 == 0);
      p[0] = hole ? 3 : static_cast<uint8_t>(i);
      p[1] = hole ? 5 : static_cast<uint8_t>(j);
      p[2] = hole ? 0 : 128;
    }
  }
  return picture;
}

void BM_FramebufferMemcpy(benchmark::State& state) { runRelative(state, copyFramebuffer); }

void BM_ScreenClear(benchmark::State& state) {
  runRelative(state, [] { Screen::clear(0, 0, 0); });
}

void BM_DrawScrolling640x480(benchmark::State& state) {
  const Picture background = makePicture(640, 480, false);
  runRelative(state, [&] { background.drawScrolling(-1.0f, 0.56f, 2.1f); });
}

void BM_DrawOpaque400x300(benchmark::State& state) {
  const Picture sprite = makePicture(400, 300, false);
  runRelative(state, [&] { sprite.drawOpaque(320, 240); });
}

void BM_DrawKeyed400x300(benchmark::State& state) {
  const Picture sprite = makePicture(400, 300, true);
  runRelative(state, [&] { sprite.drawKeyed(320, 240, nullptr); });
}

void BM_DrawKeyedMasked400x300(benchmark::State& state) {
  const Picture sprite = makePicture(400, 300, false);
  const Picture mask = makePicture(400, 300, true);
  runRelative(state, [&] { sprite.drawKeyed(320, 240, mask.image.get()); });
}

// 19 glyphs of 32 x 32, the widest line that fits, about half of each inked.
void BM_DrawTextFullLine(benchmark::State& state) {
  Picture sheet = makePicture(512, 256, true);
  const Font font(16, 8, 32, 32, &sheet);
  runRelative(state, [&] { drawText(font, Screen::pixels, 0, 224, 255, 255, 0, "Pixelfolk enjoy dan"); });
}

BENCHMARK(BM_FramebufferMemcpy);
BENCHMARK(BM_ScreenClear);
BENCHMARK(BM_DrawScrolling640x480);
BENCHMARK(BM_DrawOpaque400x300);
BENCHMARK(BM_DrawKeyed400x300);
BENCHMARK(BM_DrawKeyedMasked400x300);
BENCHMARK(BM_DrawTextFullLine);

}  // namespace

BENCHMARK_MAIN();
