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
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/show_engine.h"
#include "app/show_startup.h"
#include "music/trigger_timeline.h"
#include "render/font.h"
#include "resources/data_controller.h"

namespace {

using Clock = std::chrono::steady_clock;

struct LoadedShow {
  std::unique_ptr<DataController> data;
  std::unique_ptr<Font> font;
  TriggerTimeline timeline;
};

LoadedShow& show() {
  static LoadedShow loaded = [] {
    if (chdir(PIXELFOLK_SHOW_DIR) != 0) {
      std::fprintf(stderr, "cannot enter %s: build the show first\n", PIXELFOLK_SHOW_DIR);
      std::exit(2);
    }
    LoadedShow s;
    s.data = loadShowResources();
    s.font = cutShowFont(*s.data);
    s.timeline = scanTriggerTimelineFile(kShowMusicFile, kShowMusicRate);
    return s;
  }();
  return loaded;
}

double median(std::vector<double>& values) {
  if (values.empty()) return 0.0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void seekTo(benchmark::State& state, double showTime) {
  LoadedShow& s = show();
  ShowEngine seeking(*s.data, *s.font, s.timeline);
  // The baseline frame comes from an engine of its own; both share the
  // process-wide state, so it is sought afresh before each of its frames.
  ShowEngine framing(*s.data, *s.font, s.timeline);
  const double frameAt = 60.0;
  std::vector<double> seekSeconds, frameSeconds;
  for (auto _ : state) {
    auto start = Clock::now();
    seeking.seek(showTime);
    benchmark::ClobberMemory();
    seekSeconds.push_back(since(start));

    state.PauseTiming();
    framing.seek(frameAt);
    state.ResumeTiming();
    start = Clock::now();
    framing.drawFrame(frameAt + 1.0 / 60.0);
    benchmark::ClobberMemory();
    frameSeconds.push_back(since(start));
  }
  const double frame = median(frameSeconds);
  state.counters["seek_ms"] = median(seekSeconds) * 1000.0;
  state.counters["frame_ms"] = frame * 1000.0;
  state.counters["x_frame"] = median(seekSeconds) / frame;
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
