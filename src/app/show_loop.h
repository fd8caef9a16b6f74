// The frame loop, apart from what it drives, so that it can run on a fake clock.
#pragma once

#include "app/frame_clock.h"

inline constexpr double kShowLength = 96.0;

// One pass of the loop: read the clock, draw, present. Returns whether another
// pass is due, i.e. false after the pass whose reading lies more than
// kShowLength seconds after the start; that last frame is drawn and presented
// too. Every driver of the loop (a plain loop, a browser's frame callback)
// runs exactly these passes.
template <class ReadTime, class DrawFrame, class Present>
bool runShowPass(FrameClock& clock, ReadTime&& readTime, DrawFrame&& drawFrame, Present&& present) {
  clock.update(readTime());
  drawFrame(clock);
  present();
  return !(clock.currentTime - clock.startTime > kShowLength);
}

// Runs passes until the last one; the first pass always runs. Returns the
// number of passes.
template <class ReadTime, class DrawFrame, class Present>
long runShowLoop(FrameClock& clock, ReadTime readTime, DrawFrame drawFrame, Present present) {
  long passes = 1;
  while (runShowPass(clock, readTime, drawFrame, present)) ++passes;
  return passes;
}
