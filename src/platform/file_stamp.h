// When a file last changed, for watching files by polling: a rehearsal
// reloads a picture or the soundtrack once its stamp differs from the last.
#pragma once

#include <cstdint>

namespace platform {

struct FileStamp {
  bool exists = false;   // false also when the path cannot be examined
  int64_t modified = 0;  // last modification, in the system's finest unit
  int64_t size = 0;      // bytes; a rewrite within the same clock tick still shows

  bool operator==(const FileStamp& other) const {
    return exists == other.exists && modified == other.modified && size == other.size;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// The stamp of the file at path (a UTF-8 path), following symbolic links.
FileStamp fileStamp(const char* path);

}  // namespace platform
