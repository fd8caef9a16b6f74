#include <SDL.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "platform/desktop/native_system.h"
#include "platform/platform.h"
#include "platform/windows/text.h"

namespace platform {

// A Windows desktop is always there to show a box on.
bool nativeScreenAvailable() { return true; }

// Task-modal without an owner: the show's window, if any, takes no input
// until the box is closed, and the box comes to the front. The text is UTF-8
// (it may name folders), so it goes to the wide-character box.
void showNativeMessageBox(const char* caption, const char* text) {
  MessageBoxW(nullptr, wideFromUtf8(text).c_str(), wideFromUtf8(caption).c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

// SDL's performance counter is QueryPerformanceCounter, the system's own
// precision timer; it needs no SDL_Init.
bool queryCounterFrequency(int64_t* frequency) {
  *frequency = static_cast<int64_t>(SDL_GetPerformanceFrequency());
  return *frequency > 0;
}

int64_t readCounter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

namespace {

int errnoFromWindows(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    default:
      return EIO;
  }
}

}  // namespace

FILE* openRegularFile(const char* path, const char* mode, int64_t* size) {
  if (path == nullptr || mode == nullptr) return nullptr;
  // CreateFileW follows links to their target. Backup semantics let a folder
  // open too, so that it is told apart from a missing file; a pipe without a
  // server fails at once rather than waiting.
  const HANDLE handle =
      CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = errnoFromWindows(GetLastError());
    return nullptr;
  }
  // Devices (CON, NUL, COM1) and pipes are not disk files; a folder is one
  // but carries the directory attribute.
  BY_HANDLE_FILE_INFORMATION information{};
  const bool disk = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &information) != 0;
  if (!disk || (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    CloseHandle(handle);
    errno = disk ? EISDIR : EINVAL;
    return nullptr;
  }
  const bool binary = std::strchr(mode, 'b') != nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | (binary ? _O_BINARY : _O_TEXT));
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  FILE* file = _fdopen(fd, mode);
  if (file == nullptr) {
    _close(fd);
    return nullptr;
  }
  if (size != nullptr) {
    *size = static_cast<int64_t>((static_cast<uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow);
  }
  return file;
}

}  // namespace platform
