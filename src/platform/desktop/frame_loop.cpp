#include "platform/frame_loop.h"
#include "platform/sdl/frame_pacing.h"

namespace platform {

void waitForStart() {}

void runFrameLoop(FramePass pass, void* user) {
  for (;;) pass(user);
}

bool presentPacesFrames() { return true; }

}  // namespace platform
