// When the frames a device pulls are heard, from the device's own history of
// pulls: SDL 2.26 says nothing of how much it has queued.
#pragma once

#include <array>
#include <cstdint>

namespace platform {

// A device plays its stream's frame F at H + F / rate, H fixed while it plays
// unbroken and later after each time it runs dry. It asks for more when its
// queue is down to the level it keeps: a pull on time, at t after F frames,
// has H = t - F / rate + firstFrameDelay; a late one (a busy machine, a pull
// delayed by the one before) gives less. The least over the last second is
// that of a pull on time; a device that ran dry is followed once its earlier
// pulls leave the window. A stream's first pull finds nothing queued: its
// frames are heard after the server's own delay, and H is no earlier until
// the estimate has settled.
class HeardTime {
 public:
  // A stream just opened; `leastDelay` is the server's own.
  void reset(int rate, int bufferFrames, double firstFrameDelay, double leastDelay);

  // A pull at `now` (seconds) of `frames` frames: when its first frame is heard.
  double pull(double now, int frames);

  // Whether the stream has pulled long enough for the estimate to keep still:
  // a server starting a sink, or a stream just opened, pulls erratically at
  // first.
  bool settled() const { return pulls_ > kSettlingWindows * window_; }

 private:
  static constexpr int kMostPulls = 64;
  static constexpr int kSettlingWindows = 3;
  int rate_ = 44100;
  int window_ = 1;
  double firstFrameDelay_ = 0.0;
  double leastDelay_ = 0.0;
  int64_t framesBefore_ = 0;
  int64_t pulls_ = 0;
  double firstHeard_ = 0.0;  // H as the stream's first pull bounds it
  std::array<double, kMostPulls> starts_{};
};

}  // namespace platform
