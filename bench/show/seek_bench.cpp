// Seeking in the generated show: a reset of every piece of state, the
// 60-fps history before the time replayed without pixels, then the frame at
// that time drawn. Each seek is timed beside one plain frame (the next frame
// of the greetings, drawn with its pixels) in the same iterations, so that
// both see the same machine load: "x_frame" is the seek as a multiple of the
// frame, "frame_ms" the frame alone. A rehearsal's seek must stay within
// 100 ms from the key press to the frame presented.
//
// Run from anywhere: the show is loaded from the build's show folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/show_engine.h"
#include "loaded_show.h"

namespace {

void seekTo(benchmark::State& state, double showTime) {
  bench::LoadedShow& s = bench::loadedShow();
  ShowEngine seeking(*s.data, *s.font, bench::showTimeline());
  // The baseline frame comes from an engine of its own; both share the
  // process-wide state, so it is sought afresh before each of its frames.
  ShowEngine framing(*s.data, *s.font, bench::showTimeline());
  const double frameAt = 60.0;
  std::vector<double> seekSeconds, frameSeconds;
  for (auto _ : state) {
    auto start = bench::Clock::now();
    seeking.seek(showTime);
    benchmark::ClobberMemory();
    seekSeconds.push_back(bench::since(start));

    state.PauseTiming();
    framing.seek(frameAt);
    state.ResumeTiming();
    start = bench::Clock::now();
    framing.drawFrame(frameAt + 1.0 / 60.0);
    benchmark::ClobberMemory();
    frameSeconds.push_back(bench::since(start));
  }
  const double frame = bench::median(frameSeconds);
  state.counters["seek_ms"] = bench::median(seekSeconds) * 1000.0;
  state.counters["frame_ms"] = frame * 1000.0;
  state.counters["x_frame"] = bench::median(seekSeconds) / frame;
}

const bool registered = [] {
  for (const double t : {1.0, 48.0, 96.0}) {
    char name[32];
    std::snprintf(name, sizeof name, "seek/%g_s", t);
    benchmark::RegisterBenchmark(name, seekTo, t)->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
