#include "platform/frame_loop.h"

namespace platform {

void runFrameLoop(FramePass pass, void* user) {
  for (;;) pass(user);
}

}  // namespace platform
