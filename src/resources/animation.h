// A numbered series of JPEG frames, loaded whole at start-up and played back
// centred on a point at a settable frame rate.
#pragma once

#include <cstdint>
#include <memory>

#include "resources/picture.h"

class Animation {
 public:
  static constexpr float kStartRate = 2.0f;

  int32_t frameCount;
  float frameRate = kStartRate;  // frames per second
  char framePath[256];           // where each frame's file name is built while loading
  float position = 0.0f;         // playback position in frames, from 0
  int32_t resourceIndex;
  std::unique_ptr<Picture[]> frames;  // frameCount pictures, or none when a frame failed to load

  // path is "<folder>/<name>.jpg"; frame i (from 1) is "<folder>/<name> <i>.jpg".
  // Loading stops at the first frame file that does not open, and a frame
  // count below 1 loads nothing: either way the animation has no frames.
  Animation(const char* path, int32_t frameCount, int32_t resourceIndex);

  // Back to the rate and place a show's first frame finds.
  void rewind();

  // Accepts 1 .. frameCount frames per second; other values are ignored.
  void setRate(int32_t rate);

  // Advances by frameRate * delta frames, starts over from frame 0 once the
  // end is passed (dropping the overshoot) and draws the current frame
  // centred on (x, y).
  void play(int32_t x, int32_t y, double delta);

  // Whether play(x, y, ...) covers the whole framebuffer whichever frame it
  // draws: there are frames and each of them covers it.
  bool everyFrameCoversScreen(int32_t x, int32_t y) const;
};
