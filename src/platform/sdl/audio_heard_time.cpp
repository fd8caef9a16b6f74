#include "platform/sdl/audio_heard_time.h"

#include <algorithm>
#include <cstddef>

namespace platform {

void HeardTime::reset(int rate, int bufferFrames, double queueDelay) {
  rate_ = std::max(rate, 1);
  window_ = std::clamp(kWindowSeconds * rate_ / std::max(bufferFrames, 1), 1, kMostPulls);
  queueDelay_ = queueDelay;
  framesBefore_ = 0;
  kept_ = 0;
  heard_ = 0.0;
  dryFor_ = 0.0;
}

double HeardTime::pull(double now, int frames) {
  const double offset = static_cast<double>(framesBefore_) / rate_;
  framesBefore_ += std::max(frames, 0);
  // Everything handed out before this pull was heard by now: the device ran
  // dry, or this is the stream's first pull.
  const bool dry = kept_ == 0 || now > heard_ + offset;
  dryFor_ = dry && settled() ? now - (heard_ + offset) : 0.0;
  if (dry) kept_ = 0;
  const double start = now - offset + (dryFor_ > 0.0 ? queueDelay_ / 2 : queueDelay_);
  starts_[static_cast<size_t>(kept_ % window_)] = start;
  ++kept_;
  // The third earliest (of enough pulls): a pull or two that the server asked
  // for early, its own thread woken late and catching up, are not the
  // device's pace.
  const auto used = static_cast<std::ptrdiff_t>(std::min<int64_t>(kept_, window_));
  std::copy(starts_.begin(), starts_.begin() + used, sorted_.begin());
  const auto nth = sorted_.begin() + std::min<std::ptrdiff_t>(kOutliers, (used - 1) / 4);
  std::nth_element(sorted_.begin(), nth, sorted_.begin() + used);
  heard_ = *nth;
  return heard_ + offset;
}

}  // namespace platform
