// How long after its reading of the clock a frame of the plain show is on
// screen: its drawing, and its present, which returns once the frame is
// shown (platform/sdl/refresh_pacer.h). The frame reads the note counts for
// that moment plus half a frame, so that a note's picture comes on the frame
// seen nearest to the note, half a frame before it at most, rather than on
// the first one after it, a drawing and a refresh later.
#pragma once

#include <array>

class SeenDelay {
 public:
  // One frame: the clock read at `readAt`, the present returned at `shownAt`.
  void measure(double readAt, double shownAt);
  // The delay expected of the next frame, in seconds.
  double seconds() const { return seconds_; }
  // Frame to frame, in seconds.
  double period() const { return period_; }
  // How far ahead of its reading a frame reads the counts.
  double countsAhead() const { return seconds_ + period_ / 2; }

  // The delay is the median of this many frames, half a second at 60 Hz: on
  // a busy machine most frames are shown on time and some late, and an
  // average of them would show the ones on time early.
  static constexpr int kDelayFrames = 31;
  // A single frame counts for this much of the period: a refresh missed now
  // and then barely moves it.
  static constexpr double kWeight = 1.0 / 16.0;
  // Longer is a stall (a busy machine, a window being moved), not the
  // display's pace: it counts as this long.
  static constexpr double kLongest = 0.05;

 private:
  std::array<double, kDelayFrames> delays_{};
  double seconds_ = 0.0;
  double period_ = 0.0;
  double lastRead_ = 0.0;
  int frames_ = 0;
};
