// The note index: the counted notes of a TriggerTimeline, found by binary
// search at any music time. The one place that says which notes a music
// time has played: a seek replays thousands of frames, and each frame asks
// for both counts.
#pragma once

#include <cstdint>
#include <vector>

#include "music/trigger_timeline.h"

struct NoteCounts {
  int32_t instrument1 = 0;
  int32_t instrument4 = 0;
};

class TriggerIndex {
 public:
  explicit TriggerIndex(const TriggerTimeline& timeline);

  // Triggers of an instrument whose tick started at or before music time
  // `seconds`; none before the music starts.
  int hitsUpTo(int instrument, double seconds) const;
  // The two counted instruments' at once.
  NoteCounts countsAt(double seconds) const { return {hitsUpTo(1, seconds), hitsUpTo(4, seconds)}; }

 private:
  int rate_;
  std::vector<std::vector<int64_t>> frames_;  // per instrument, in playing order
};
