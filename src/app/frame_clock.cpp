#include "app/frame_clock.h"

void FrameClock::update(double now) {
  currentTime = now;
  // The first frame's step is the whole reading, since previousTime starts at
  // 0; the scrolling background snaps its offsets back to 0 under it.
  frameDelta = currentTime - previousTime;
  previousTime = currentTime;
  secondElapsed = false;
  if (currentTime - secondMark < secondLength) {
    framesThisSecond += 1;
  } else {
    // The closing frame belongs to neither window.
    secondMark = currentTime;
    secondElapsed = true;
    framesPerSecond = framesThisSecond;
    framesThisSecond = 0;
  }
}
