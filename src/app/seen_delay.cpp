#include "app/seen_delay.h"

#include <algorithm>

void SeenDelay::measure(double readAt, double shownAt) {
  const double delay = std::clamp(shownAt - readAt, 0.0, kLongest);
  seconds_ = measured_ ? seconds_ + (delay - seconds_) * kWeight : delay;
  measured_ = true;
}
