// Standard error silenced for a while, for the platform's own code that calls
// into libraries which print their own diagnostics while probing (ALSA writes
// a dozen lines when there is no sound card). One implementation per system.
#pragma once

namespace platform {

class QuietStandardError {
 public:
  QuietStandardError();
  ~QuietStandardError();
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;  // a duplicate of the real standard error, or -1 when it could not be silenced
};

}  // namespace platform
