// The operating-system services of src/platform/platform.h in a browser page:
// message boxes become the page's error panel, the counter is the page's
// clock, and leaving the process hands the page back to its own script. The
// page's side of these calls is page.js.
#include <SDL.h>
#include <emscripten.h>

#include <cstdio>

#include "platform/common/message_lines.h"
#include "platform/exit_hooks.h"
#include "platform/platform.h"

extern "C" {
// Implemented in page.js; each calls the page's handler if it has one.
void pixelfolk_page_message(const char* caption, const char* text);
void pixelfolk_page_ended(int code);

// The page asks the show to end, as closing its window would: the next frame
// closes the display and leaves through exitProcess.
EMSCRIPTEN_KEEPALIVE void pixelfolk_request_quit() {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
}
}

namespace platform {

namespace {

bool messagesOffScreen = false;

}  // namespace

void keepMessagesOffScreen() { messagesOffScreen = true; }

bool messageBoxesVisible() { return !messagesOffScreen; }

// A page must never block on a modal box: the text goes to the page's error
// panel, and the line on standard error to the browser's console.
void showMessageBox(const char* caption, const char* text) {
  std::fputs(captionEveryLine(caption, text).c_str(), stderr);
  std::fflush(stderr);
  if (!messagesOffScreen) pixelfolk_page_message(caption, text);
}

// Standard error is the browser's console, a log nobody watches live, so
// nothing redraws a line in place there.
bool standardErrorIsTerminal() { return false; }

// performance.now() in milliseconds, read as nanoseconds.
bool queryCounterFrequency(int64_t* frequency) {
  *frequency = 1000000000;
  return true;
}

int64_t readCounter() { return static_cast<int64_t>(emscripten_get_now() * 1e6); }

// Only the browser may wait: a page that sleeps freezes. The frames are paced
// by the browser's animation frames instead.
void sleepMilliseconds(int) {}

// The page's build has one thread.
void lowerThreadPriority() {}

// The hooks close the sound; SDL_Quit then takes SDL's handlers off the page
// whatever state the show ended in, so that a later key press does not call
// into a program that has ended. The page learns the code before the runtime
// stops.
void exitProcess(int code) {
  runExitHooksAndFlush();
  callExitInterceptor(code);
  emscripten_cancel_main_loop();
  SDL_Quit();
  pixelfolk_page_ended(code);
  emscripten_force_exit(code);
  __builtin_unreachable();
}

}  // namespace platform
