// The generated show (the build's show folder), loaded once per test
// program, and its frames drawn the plain way for reference: every frame of
// a 60-fps history from the first, pixels and all, on a fresh clock, with the
// counters from the offline timeline, as the capture tool drew them before
// it could seek.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "music/trigger_timeline.h"
#include "render/font.h"
#include "resources/data_controller.h"

namespace generatedshow {

struct Show {
  std::unique_ptr<DataController> data;
  std::unique_ptr<Font> font;
  TriggerTimeline timeline;
  std::vector<int16_t> samples;  // the module played once
};

// Loaded from PIXELFOLK_SHOW_DIR on the first call; the working directory is
// left as it was.
Show& show();

struct Frame {
  std::vector<uint32_t> pixels;
  int32_t hits1 = 0;
  int32_t hits4 = 0;
  int32_t middlePicture = 0;
};

// The 60-fps frames k of `wanted`, all from one history (every frame drawn).
std::map<long, Frame> historyFrames(const std::vector<long>& wanted);

// The frame at a time off the 60-fps grid: the history's frames before it,
// then the frame at that time.
Frame frameAt(double showTime);

// What Screen::pixels and the counters hold now, in the same form.
Frame current();

// 60-fps frame k's show time.
double gridTime(long k);

}  // namespace generatedshow
