#include "platform/frame_loop.h"

namespace platform {

void waitForStart() {}

void runFrameLoop(FramePass pass, void* user) {
  for (;;) pass(user);
}

}  // namespace platform
