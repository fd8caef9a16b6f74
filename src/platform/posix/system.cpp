#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/common/message_lines.h"
#include "platform/desktop/native_system.h"
#include "platform/platform.h"

namespace platform {

namespace {

bool hasEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

// SDL shows a box in a child process it forks (zenity, or its own X11 box
// in a copy of the show), and waits for it. A show that ends while it waits,
// by a signal or otherwise, must take the box with it, so every child forked
// from then on is killed when the thread that forked it ends. The copy also
// inherits SDL's SIGTERM handler, which only queues a quit event that nothing
// in it reads: it gets the default one back, so that `kill` ends it.
pid_t boxParent = 0;

void tieChildToParent() {
#ifdef __linux__
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The parent may have ended before the line above took effect.
  if (getppid() != boxParent) _exit(1);
#endif
  signal(SIGTERM, SIG_DFL);
}

void tieBoxesToTheShow() {
  static std::once_flag tied;
  std::call_once(tied, [] {
    boxParent = getpid();
    pthread_atfork(nullptr, nullptr, tieChildToParent);
  });
}

}  // namespace

bool nativeScreenAvailable() { return hasEnvironment("DISPLAY") || hasEnvironment("WAYLAND_DISPLAY"); }

// SDL's X11 box neither wraps its text nor keeps to the screen: it is as wide
// as its longest line. Its 12-point font takes about 10 pixels a character of
// a path at 100 dpi, so 56 of them and the margins fit a 640-pixel screen.
constexpr size_t kMessageBoxColumns = 56;

// SDL tries a zenity dialog before its own X11 box, and now and then that
// attempt fails in a way that skips the X11 box too ("zenity reported error
// or failed to launch"): the box is asked for once more before the text is
// left on standard error alone.
void showNativeMessageBox(const char* caption, const char* text) {
  const std::string lines = breakIntoLines(text, kMessageBoxColumns);
  tieBoxesToTheShow();
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, lines.c_str(), nullptr) == 0) return;
  }
}

bool queryCounterFrequency(int64_t* frequency) {
  timespec resolution{};
  if (clock_getres(CLOCK_MONOTONIC, &resolution) != 0) {
    *frequency = 0;
    return false;
  }
  *frequency = 1000000000;
  return true;
}

int64_t readCounter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace platform
