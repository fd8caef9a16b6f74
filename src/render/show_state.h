// Everything the show carries from one frame to the next, outside the frame
// clock and the animations' own places: one value, held process-wide, so
// that putting the show back to its first frame is one assignment, and a
// piece of state added here is put back by every seek (app/show_engine.h).
#pragma once

#include <cstdint>

#include "script/middle_picture.h"

class DataController;

struct ShowState {
  // The notes of the module's second and fifth instruments played by the
  // frame's music time; set by the transport alone (app/transport.h).
  int32_t instrument1Hits = 0;
  int32_t instrument4Hits = 0;
  // Where the scrolling background stands, in pixels; shared by every
  // Picture::drawScrolling call whatever the picture, always strictly
  // inside (-640, 640) and (-480, 480).
  float scrollOffsetX = 0.0f;
  float scrollOffsetY = 0.0f;
  // The typewriter shared by every typeText call: the time accumulator and
  // the count of revealed characters.
  double typewriterAccumulator = 0.0;
  int32_t typewriterRevealed = 3;
  // The show's random sequence (script/random.h).
  uint32_t randomState = 1;
  // The picture shown in the middle of the opening scene.
  int32_t shownPictureIndex = kInitialMiddlePicture;
};

extern ShowState showState;

// Puts all of it back to what the show's first frame finds, each
// animation's playback place too.
void resetShowState(DataController& data);
