// The frame loop, apart from what it drives, so that it can run on a fake clock.
#pragma once

#include "app/frame_clock.h"

inline constexpr double kShowLength = 96.0;

// Runs passes of read-the-clock, draw, present until a pass whose reading lies
// more than kShowLength seconds after the start; that last frame is drawn and
// presented too. The first pass always runs. Returns the number of passes.
template <class ReadTime, class DrawFrame, class Present>
long runShowLoop(FrameClock& clock, ReadTime readTime, DrawFrame drawFrame, Present present) {
  long passes = 0;
  do {
    clock.update(readTime());
    drawFrame(clock);
    present();
    ++passes;
  } while (!(clock.currentTime - clock.startTime > kShowLength));
  return passes;
}
