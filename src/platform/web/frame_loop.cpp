#include <SDL.h>
#include <emscripten.h>

#include "platform/frame_loop.h"
#include "platform/sdl/frame_pacing.h"

// In page.js. The call suspends the program (Asyncify) until the page's click
// resumes it; the page learns from it that a click now starts the show at once.
extern "C" void pixelfolk_page_wait_for_start();
// In page.js: the first frame is on the canvas.
extern "C" void pixelfolk_page_showing();

namespace platform {

// Keys pressed while the start card showed went into SDL's queue too; an
// Escape among them must not end the show at its first frame.
void waitForStart() {
  pixelfolk_page_wait_for_start();
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_KEYDOWN, SDL_TEXTINPUT);
}

namespace {

struct Loop {
  FramePass pass;
  void* user;
  bool shown;
};

// The page keeps its card over the canvas until the first frame is drawn: the
// first pass runs code the browser has not compiled yet and may take a few
// animation frames, which would otherwise show as black ones.
void runPass(void* data) {
  Loop& loop = *static_cast<Loop*>(data);
  loop.pass(loop.user);
  if (!loop.shown) {
    loop.shown = true;
    pixelfolk_page_showing();
  }
}

}  // namespace

// One pass per animation frame (fps 0 means requestAnimationFrame). Simulating
// an infinite loop leaves this call without unwinding the caller's stack, so
// the caller's locals that the passes use stay where they are, this one's too.
void runFrameLoop(FramePass pass, void* user) {
  Loop loop{pass, user, false};
  emscripten_set_main_loop_arg(runPass, &loop, 0, 1);
  __builtin_unreachable();
}

bool presentPacesFrames() { return false; }

}  // namespace platform
