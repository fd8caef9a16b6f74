#include "platform/executable_path.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace platform {

// Linux names the running image in /proc; the link already points at the
// resolved file, and realpath settles any remaining doubt.
std::string executablePath() { return realPath("/proc/self/exe"); }

std::string realPath(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), nullptr), &free);
  return resolved ? std::string(resolved.get()) : std::string();
}

std::string workingDirectory() {
  std::unique_ptr<char, decltype(&free)> directory(getcwd(nullptr, 0), &free);
  return directory ? std::string(directory.get()) : std::string();
}

bool changeWorkingDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

bool isRegularFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool pathExists(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0;
}

// Installed programs keep their data apart from the executable, under the
// prefix's share folder.
bool mediaBesideExecutable() { return false; }

}  // namespace platform
