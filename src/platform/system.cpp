#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/process_exit.h"

namespace platform {

namespace {

constexpr int kMaxExitHooks = 8;
void (*exitHooks[kMaxExitHooks])();
int exitHookCount = 0;
bool messagesOffScreen = false;
void (*exitInterceptor)(int) = nullptr;

bool driverIsHeadless(const char* driver) {
  return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool hasEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

}  // namespace

void keepMessagesOffScreen() { messagesOffScreen = true; }

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool messageBoxesVisible() {
  if (messagesOffScreen) return false;
  if (!hasEnvironment("DISPLAY") && !hasEnvironment("WAYLAND_DISPLAY")) return false;
  if (driverIsHeadless(std::getenv("SDL_VIDEODRIVER"))) return false;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && driverIsHeadless(SDL_GetCurrentVideoDriver())) return false;
  return true;
}

void showMessageBox(const char* caption, const char* text) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
  if (messageBoxesVisible()) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
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

void sleepMilliseconds(int milliseconds) {
  if (milliseconds <= 0) {
    SDL_Delay(0);
    return;
  }
  SDL_Delay(static_cast<Uint32>(milliseconds));
}

void atProcessExit(void (*hook)()) {
  if (exitHookCount < kMaxExitHooks) exitHooks[exitHookCount++] = hook;
}

void exitProcess(int code) {
  while (exitHookCount > 0) exitHooks[--exitHookCount]();
  std::fflush(stdout);
  std::fflush(stderr);
  if (exitInterceptor != nullptr) exitInterceptor(code);
  std::exit(code);
}

void exitProcessAtOnce(int code) {
  while (exitHookCount > 0) exitHooks[--exitHookCount]();
  // Every output stream, as exit would: _Exit flushes none.
  std::fflush(nullptr);
  std::_Exit(code);
}

void interceptExit(void (*instead)(int code)) { exitInterceptor = instead; }

FILE* openRegularFile(const char* path, const char* mode, int64_t* size) {
  if (path == nullptr || mode == nullptr) return nullptr;
  // Non-blocking, so that opening a FIFO without a writer returns at once;
  // the flag is dropped again before a regular file is read.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    return nullptr;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  FILE* file = fdopen(fd, mode);
  if (file == nullptr) {
    close(fd);
    return nullptr;
  }
  if (size != nullptr) *size = static_cast<int64_t>(status.st_size);
  return file;
}

}  // namespace platform
