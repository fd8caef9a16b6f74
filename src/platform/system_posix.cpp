#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/system_native.h"

namespace platform {

namespace {

bool hasEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

}  // namespace

bool nativeScreenAvailable() { return hasEnvironment("DISPLAY") || hasEnvironment("WAYLAND_DISPLAY"); }

void showNativeMessageBox(const char* caption, const char* text) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
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
