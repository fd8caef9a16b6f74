// The per-frame timing record: this frame's reading, the step from the
// previous one, and a frames-per-second count over one-second windows.
#pragma once

#include <cstdint>

struct FrameClock {
  explicit FrameClock(double start) : secondMark(start), startTime(start) {}

  // Takes this frame's reading; called once per frame before drawing.
  void update(double now);

  double secondMark;
  double frameDelta = 0.0;
  double previousTime = 0.0;
  int32_t framesPerSecond = 0;
  int32_t framesThisSecond = 0;
  double startTime;
  double currentTime = 0.0;
  float secondLength = 1.0f;
  bool secondElapsed = true;
};
