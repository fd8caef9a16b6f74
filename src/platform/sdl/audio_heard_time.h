// When the frames a device pulls are heard, from the device's own history of
// pulls: SDL 2.26 says nothing of how much it has queued.
#pragma once

#include <array>
#include <cstdint>

namespace platform {

// A device plays its stream's frame F at H + F / rate. It asks for more when
// its queue is down to the level it keeps, `queueDelay` seconds of sound: a
// pull on time at t, after F frames, says H = t - F / rate + queueDelay; a
// late one (a busy machine) says later, and only now and then does a server
// ask early. The third earliest over the last few seconds is the estimate: it
// follows at once a device whose clock runs fast, and one whose clock runs
// slow within a few seconds' drift, while a second of late pulls moves
// nothing. A pull later than everything queued could last finds the device
// run dry: its frames, and H, start afresh from there. A stream's first
// frames wait for its queue to fill; the first after a gap in a stream that
// played steadily are heard anywhere from at once to a queue or more later
// (measured on PulseAudio: docs/sound.md), so half a queue is their estimate.
class HeardTime {
 public:
  void reset(int rate, int bufferFrames, double queueDelay);

  // A pull at `now` (seconds) of `frames` frames: when its first frame is heard.
  double pull(double now, int frames);

  // Whether the estimate has pulls enough to leave out those asked early: a
  // stream's first pulls come in a burst that fills its queue.
  bool settled() const { return kept_ > 4 * kOutliers; }

  // How long a stream that had settled had run dry at the last pull (seconds;
  // 0 when it had not, or had not settled yet: a stream's slow start is no gap).
  double dryFor() const { return dryFor_; }

 private:
  static constexpr int kMostPulls = 256;
  static constexpr int kWindowSeconds = 4;
  static constexpr int kOutliers = 2;
  int rate_ = 44100;
  int window_ = 1;
  double queueDelay_ = 0.0;
  int64_t framesBefore_ = 0;
  int64_t kept_ = 0;    // pulls in the window since the last fresh start
  double heard_ = 0.0;  // the estimate of H
  double dryFor_ = 0.0;
  std::array<double, kMostPulls> starts_{};
  std::array<double, kMostPulls> sorted_{};
};

}  // namespace platform
