// The counts of a TriggerTimeline at any time, found by binary search: a
// seek replays thousands of frames, and each frame asks for both counts.
#pragma once

#include <cstdint>
#include <vector>

#include "music/trigger_timeline.h"

class TriggerIndex {
 public:
  explicit TriggerIndex(const TriggerTimeline& timeline);

  // The same count as TriggerTimeline::hitsUpTo(instrument, seconds).
  int hitsUpTo(int instrument, double seconds) const;

 private:
  int rate_;
  std::vector<std::vector<int64_t>> frames_;  // per instrument, in playing order
};
