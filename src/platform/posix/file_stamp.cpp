#include "platform/file_stamp.h"

#include <sys/stat.h>

namespace platform {

FileStamp fileStamp(const char* path) {
  FileStamp stamp;
  struct stat status {};
  if (path == nullptr || stat(path, &status) != 0) return stamp;
  stamp.exists = true;
  stamp.modified = static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
  stamp.size = static_cast<int64_t>(status.st_size);
  return stamp;
}

}  // namespace platform
