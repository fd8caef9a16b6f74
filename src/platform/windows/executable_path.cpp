#include <windows.h>

#include <string>

#include "platform/executable_path.h"
#include "platform/windows/text.h"

namespace platform {

namespace {

// Opened only to be asked about: no access rights, any sharing, folders
// included, links followed to their target.
HANDLE openForQuery(const std::string& path) {
  if (path.empty()) return INVALID_HANDLE_VALUE;
  return CreateFileW(wideFromUtf8(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// GetFinalPathNameByHandleW names the file as \\?\C:\... or \\?\UNC\server\...;
// the rest of the program wants the everyday form.
std::wstring withoutVerbatimPrefix(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
  if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

}  // namespace

std::string executablePath() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return std::string();
    if (length < name.size()) {
      name.resize(length);
      break;
    }
    name.resize(name.size() * 2);  // truncated: try again with more room
  }
  return realPath(utf8FromWide(name));
}

std::string realPath(const std::string& path) {
  const HANDLE handle = openForQuery(path);
  if (handle == INVALID_HANDLE_VALUE) return std::string();
  std::wstring resolved(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, resolved.data(), static_cast<DWORD>(resolved.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length >= resolved.size()) {
    resolved.resize(length + 1);
    length = GetFinalPathNameByHandleW(handle, resolved.data(), static_cast<DWORD>(resolved.size()),
                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  CloseHandle(handle);
  if (length == 0 || length >= resolved.size()) return std::string();
  resolved.resize(length);
  return utf8FromWide(withoutVerbatimPrefix(resolved));
}

std::string workingDirectory() {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return std::string();
  std::wstring directory(needed, L'\0');
  const DWORD length = GetCurrentDirectoryW(needed, directory.data());
  if (length == 0 || length >= needed) return std::string();
  directory.resize(length);
  return utf8FromWide(directory);
}

bool changeWorkingDirectory(const std::string& path) {
  return !path.empty() && SetCurrentDirectoryW(wideFromUtf8(path).c_str()) != 0;
}

bool isRegularFile(const std::string& path) {
  const HANDLE handle = openForQuery(path);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information{};
  const bool regular = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &information) != 0 &&
                       (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  CloseHandle(handle);
  return regular;
}

// The entry's own attributes, a link not followed: a dangling link counts.
bool pathExists(const std::string& path) {
  return !path.empty() && GetFileAttributesW(wideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A Windows program is unpacked as one folder: its data lie beside it.
bool mediaBesideExecutable() { return true; }

}  // namespace platform
