#include "platform/file_stamp.h"

#include "platform/windows/text.h"

namespace platform {

FileStamp fileStamp(const char* path) {
  FileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path == nullptr || GetFileAttributesExW(wideFromUtf8(path).c_str(), GetFileExInfoStandard, &data) == 0) {
    return stamp;
  }
  stamp.exists = true;
  // 100-nanosecond intervals since 1601.
  stamp.modified = static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                        data.ftLastWriteTime.dwLowDateTime);
  stamp.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  return stamp;
}

}  // namespace platform
