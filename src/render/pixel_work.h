// Whether drawing writes pixels. A seek replays the show's history from its
// first frame: every frame's logic must run (scroll and animation positions,
// the typewriter, the random numbers in their order), but only the last
// frame's pixels are ever seen, so the earlier ones skip the pixel work.
#pragma once

namespace pixelwork {

// True unless a Skipped is alive; read by the clears, blits and text.
bool enabled();

// Pixel work is skipped for the lifetime of this object (one thread only).
class Skipped {
 public:
  Skipped();
  ~Skipped();
  Skipped(const Skipped&) = delete;
  Skipped& operator=(const Skipped&) = delete;

 private:
  bool before_;
};

}  // namespace pixelwork
