#include "platform/sdl/audio_heard_time.h"

#include <algorithm>
#include <cstddef>

namespace platform {

void HeardTime::reset(int rate, int bufferFrames, double firstFrameDelay, double leastDelay) {
  rate_ = std::max(rate, 1);
  // About a second of pulls: enough that one of them came on time on a busy
  // machine, short enough to follow a device that ran dry.
  window_ = std::clamp(rate_ / std::max(bufferFrames, 1), 1, kMostPulls);
  firstFrameDelay_ = firstFrameDelay;
  leastDelay_ = leastDelay;
  framesBefore_ = 0;
  pulls_ = 0;
}

double HeardTime::pull(double now, int frames) {
  const double offset = static_cast<double>(framesBefore_) / rate_;
  const double start = now - offset;
  framesBefore_ += std::max(frames, 0);
  // A stream's first pull finds nothing queued: H is no earlier than its
  // frames are heard while the stream settles, which keeps the pulls that fill the queue at the start from counting as
  // early ones.
  if (pulls_++ == 0) {
    firstHeard_ = now + leastDelay_;
    return firstHeard_;
  }
  starts_[static_cast<size_t>((pulls_ - 2) % window_)] = start;
  const auto used = static_cast<std::ptrdiff_t>(std::min<int64_t>(pulls_ - 1, window_));
  const double heard = *std::min_element(starts_.begin(), starts_.begin() + used) + firstFrameDelay_;
  // Once settled the pulls alone say it: a device whose clock runs fast
  // plays its frames ever earlier than its first pull did.
  return (settled() ? heard : std::max(heard, firstHeard_)) + offset;
}

}  // namespace platform
