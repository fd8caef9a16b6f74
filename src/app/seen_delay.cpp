#include "app/seen_delay.h"

#include <algorithm>

void SeenDelay::measure(double readAt, double shownAt) {
  delays_[static_cast<size_t>(frames_ % kDelayFrames)] = std::clamp(shownAt - readAt, 0.0, kLongest);
  std::array<double, kDelayFrames> sorted = delays_;
  const auto end = sorted.begin() + std::min(frames_ + 1, kDelayFrames);
  const auto middle = sorted.begin() + (end - sorted.begin()) / 2;
  std::nth_element(sorted.begin(), middle, end);
  seconds_ = *middle;
  if (frames_ > 0) {
    const double period = std::clamp(readAt - lastRead_, 0.0, kLongest);
    period_ = frames_ > 1 ? period_ + (period - period_) * kWeight : period;
  }
  lastRead_ = readAt;
  ++frames_;
}
