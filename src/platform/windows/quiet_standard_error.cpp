#include "platform/quiet_standard_error.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace platform {

// A GUI program may have no standard error at all; then there is nothing to
// silence and nothing to restore.
QuietStandardError::QuietStandardError() {
  std::fflush(stderr);
  const int error = _fileno(stderr);
  if (error < 0) return;
  saved_ = _dup(error);
  const int null = _open("NUL", _O_WRONLY);
  if (saved_ >= 0 && null >= 0) _dup2(null, error);
  if (null >= 0) _close(null);
}

QuietStandardError::~QuietStandardError() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  _dup2(saved_, _fileno(stderr));
  _close(saved_);
}

}  // namespace platform
