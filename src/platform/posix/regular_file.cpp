// Opening input files, shared by every build whose C library is POSIX's: the
// desktop systems and the browser page's virtual file system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/platform.h"

namespace platform {

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
