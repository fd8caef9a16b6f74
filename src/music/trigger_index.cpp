#include "music/trigger_index.h"

#include <algorithm>

TriggerIndex::TriggerIndex(const TriggerTimeline& timeline) : rate_(timeline.rate) {
  for (const TimedTrigger& t : timeline.triggers) {
    if (t.instrument < 0) continue;
    if (static_cast<size_t>(t.instrument) >= frames_.size()) frames_.resize(static_cast<size_t>(t.instrument) + 1);
    frames_[static_cast<size_t>(t.instrument)].push_back(t.frame);
  }
}

int TriggerIndex::hitsUpTo(int instrument, double seconds) const {
  if (instrument < 0 || static_cast<size_t>(instrument) >= frames_.size()) return 0;
  const std::vector<int64_t>& frames = frames_[static_cast<size_t>(instrument)];
  if (seconds < 0.0) return 0;
  // A note on a frame past seconds * rate, compared in doubles, is still to come.
  const double limit = seconds * rate_;
  const auto end = std::upper_bound(frames.begin(), frames.end(), limit,
                                    [](double l, int64_t frame) { return l < static_cast<double>(frame); });
  return static_cast<int>(end - frames.begin());
}
