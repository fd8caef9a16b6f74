// The whole soundtrack's note triggers in music time, found by playing the
// module offline through the same renderer the live player uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ModuleRenderer;

struct TimedTrigger {
  int64_t frame = 0;  // first frame of the tick the note starts on
  int channel = 0;
  int instrument = 0;  // from 0
};

struct TriggerTimeline {
  bool loaded = false;
  int rate = 0;
  int64_t lengthFrames = 0;            // the module's whole length, played once
  std::vector<TimedTrigger> triggers;  // in playing order

  double lengthSeconds() const { return rate > 0 ? static_cast<double>(lengthFrames) / rate : 0.0; }
  // Music time in seconds of the n-th trigger (n from 1) of an instrument,
  // or a negative value if there are fewer.
  double timeOfHit(int instrument, int n) const;
};

class ModuleRenderer;

// Plays the module once, offline. With `audio`, its samples (interleaved
// stereo, 16 bit) are kept there too.
TriggerTimeline scanTriggerTimeline(const void* moduleData, size_t size, int rate,
                                    std::vector<int16_t>* audio = nullptr);
TriggerTimeline scanTriggerTimelineFile(const char* path, int rate, std::vector<int16_t>* audio = nullptr);
// The same for a module already loaded into `renderer`, played from where it
// stands: for a caller that reports on the loading itself.
TriggerTimeline scanTriggerTimeline(ModuleRenderer& renderer, std::vector<int16_t>* audio = nullptr);
