// How long after its reading of the clock a frame of the plain show is on
// screen: its drawing, and its present, which waits for the display's
// refresh where the display syncs to it. The frame reads the note counts for
// that moment, so a note's picture is seen as the note is heard, rather than
// a drawing and a refresh later.
#pragma once

class SeenDelay {
 public:
  // One frame: the clock read at `readAt`, the present returned at `shownAt`.
  void measure(double readAt, double shownAt);
  // The delay expected of the next frame, in seconds.
  double seconds() const { return seconds_; }

  // A single frame counts for this much of the estimate: a refresh missed now
  // and then barely moves it.
  static constexpr double kWeight = 1.0 / 16.0;
  // Longer is a stall (a busy machine, a window being moved), not the
  // display's pace: it counts as this long.
  static constexpr double kLongest = 0.05;

 private:
  double seconds_ = 0.0;
  bool measured_ = false;
};
