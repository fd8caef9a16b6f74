// The soundtrack played from its samples rendered offline (music/soundtrack.h)
// where the show's music clock says (music/music_clock.h): what a show needs
// that starts anywhere, pauses and seeks. It makes the sound; the note
// counts come from the clock (app/transport.h).
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "music/music_clock.h"

class SamplePlayback {
 public:
  // `samples`: the module played once, interleaved stereo at `rate`.
  SamplePlayback(MusicClock& clock, std::vector<int16_t> samples, int rate);

  // The audio callback (platform::AudioFill): `playback` is a SamplePlayback,
  // its buffer heard from now plus the platform's output latency.
  static void fillOutput(void* playback, int16_t* frames, int frameCount);
  // Writes exactly frameCount stereo frames heard from real time `heardAt`:
  // the music at the clock's place, silence while the clock is stopped and
  // outside the music. Within the drift it lets pass it is not nudged: it
  // tells the clock how far off it is heard (MusicClock::hear).
  void fill(int16_t* out, int frameCount, double heardAt);

  // A reloaded soundtrack, played on from the clock's place.
  void replace(std::vector<int16_t> samples, int rate);

  // The next stereo frame to be handed out.
  int64_t position() const;

 private:
  MusicClock& clock_;
  mutable std::mutex mutex_;
  std::vector<int16_t> samples_;
  int rate_;
  int64_t position_ = 0;
  uint64_t seenMoves_ = 0;
  bool moved_ = true;  // a new soundtrack: the next buffer moves to the clock's place
};
