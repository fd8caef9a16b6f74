// The soundtrack played from samples rendered offline (music/trigger_timeline.h),
// from a position that can be set at any moment: what a show needs that
// starts anywhere, pauses and seeks. A note is counted when the buffer that
// carries its first frame is handed out, as the module player counts it, so
// the counters keep to the sound whether the show plays, pauses or jumps.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "music/trigger_timeline.h"

class SamplePlayback {
 public:
  // `samples`: the module played once, interleaved stereo at timeline.rate.
  // Starts paused at music time 0, the counters set as seek(0) sets them.
  SamplePlayback(const TriggerTimeline& timeline, std::vector<int16_t> samples);

  // The audio callback (platform::AudioFill): `playback` is a SamplePlayback.
  // Each buffer's counts are recorded for the moment it is heard
  // (music/heard_counts.h).
  static void fillOutput(void* playback, int16_t* frames, int frameCount);
  // Writes exactly frameCount stereo frames: the music from the position on,
  // silence after its end, silence without moving while paused.
  void fill(int16_t* out, int frameCount);

  // Moves to music time `seconds` and sets instrument1Hits and
  // instrument4Hits to the notes played by then, in one step; those are
  // the counts heard until the sound from there reaches the speakers.
  void seek(double seconds);
  void setPaused(bool paused);

  // A reloaded soundtrack, played on from music time `seconds`.
  void replace(const TriggerTimeline& timeline, std::vector<int16_t> samples, double seconds);

  bool paused() const;
  // The next stereo frame to be handed out.
  int64_t position() const;

 private:
  void seekLocked(double seconds);

  mutable std::mutex mutex_;
  std::vector<int16_t> samples_;
  std::vector<TimedTrigger> counted_;  // the triggers of instruments 1 and 4, in playing order
  int rate_ = 44100;
  int64_t position_ = 0;
  size_t nextTrigger_ = 0;  // counted_[0 .. nextTrigger_) are in the counters
  bool paused_ = true;
};
