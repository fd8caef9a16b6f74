#include "app/seen_delay.h"

#include <algorithm>

void SeenDelay::measure(double readAt, double shownAt) {
  const double delay = std::clamp(shownAt - readAt, 0.0, kLongest);
  seconds_ = frames_ > 0 ? seconds_ + (delay - seconds_) * kWeight : delay;
  if (frames_ > 0) {
    const double period = std::clamp(readAt - lastRead_, 0.0, kLongest);
    period_ = frames_ > 1 ? period_ + (period - period_) * kWeight : period;
  }
  lastRead_ = readAt;
  ++frames_;
}
