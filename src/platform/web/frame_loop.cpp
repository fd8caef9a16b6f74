#include <emscripten.h>

#include "platform/frame_loop.h"

namespace platform {

// One pass per animation frame (fps 0 means requestAnimationFrame). Simulating
// an infinite loop leaves this call without unwinding the caller's stack, so
// the caller's locals that the passes use stay where they are.
void runFrameLoop(FramePass pass, void* user) {
  emscripten_set_main_loop_arg(pass, user, 0, 1);
  __builtin_unreachable();
}

}  // namespace platform
