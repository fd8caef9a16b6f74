// The generated show as the show benchmarks use it: loaded once per program
// from the build's show folder (PIXELFOLK_SHOW_DIR), whatever the working
// directory, and the timing helpers they share.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/show_startup.h"
#include "music/trigger_timeline.h"
#include "render/font.h"
#include "resources/data_controller.h"

namespace bench {

struct LoadedShow {
  std::unique_ptr<DataController> data;
  std::unique_ptr<Font> font;
};

inline void enterShowFolder() {
  static const bool entered = [] {
    if (chdir(PIXELFOLK_SHOW_DIR) != 0) {
      std::fprintf(stderr, "cannot enter %s: build the show first\n", PIXELFOLK_SHOW_DIR);
      std::exit(2);
    }
    return true;
  }();
  (void)entered;
}

inline LoadedShow& loadedShow() {
  static LoadedShow loaded = [] {
    enterShowFolder();
    LoadedShow s;
    s.data = loadShowResources();
    s.font = cutShowFont(*s.data);
    return s;
  }();
  return loaded;
}

// The soundtrack's note triggers, scanned once.
inline const TriggerTimeline& showTimeline() {
  static const TriggerTimeline timeline = [] {
    enterShowFolder();
    return scanTriggerTimelineFile(kShowMusicFile, kShowMusicRate);
  }();
  return timeline;
}

using Clock = std::chrono::steady_clock;

inline double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

inline double median(std::vector<double>& values) {
  if (values.empty()) return 0.0;
  std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
  return values[values.size() / 2];
}

}  // namespace bench
