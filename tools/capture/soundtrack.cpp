#include "soundtrack.h"

#include <algorithm>

#include "music/module_renderer.h"

int32_t Soundtrack::hitsUpTo(const std::vector<int64_t>& at, int64_t frame) {
  return static_cast<int32_t>(std::upper_bound(at.begin(), at.end(), frame) - at.begin());
}

Soundtrack renderSoundtrack(const char* path, int rate, std::string* error) {
  Soundtrack track;
  track.rate = rate;
  ModuleRenderer renderer;
  if (!renderer.loadFile(path, rate)) {
    *error = renderer.failure();
    return track;
  }
  const int capacity = renderer.maxTickFrames();
  RenderedTick tick;
  size_t used = 0;
  track.samples.resize(static_cast<size_t>(capacity) * 2);
  while (true) {
    if (track.samples.size() - used < static_cast<size_t>(capacity) * 2) track.samples.resize(track.samples.size() * 2);
    if (!renderer.renderTick(track.samples.data() + used, capacity, &tick) || tick.frames == 0) break;
    used += static_cast<size_t>(tick.frames) * 2;
    for (int i = 0; i < tick.triggerCount; ++i) {
      if (tick.triggers[i].instrument == 1) track.instrument1At.push_back(tick.firstFrame);
      if (tick.triggers[i].instrument == 4) track.instrument4At.push_back(tick.firstFrame);
    }
  }
  track.samples.resize(used);
  return track;
}
