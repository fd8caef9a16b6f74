// What every harness shares: the program's own exits become an exception the
// harness catches, so one input that would end the show does not end the
// fuzzer; messages stay off screen; files are written in a private folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "platform/platform.h"

namespace fuzzing {

struct ProgramExit {
  int code;
};

[[noreturn]] inline void throwProgramExit(int code) { throw ProgramExit{code}; }

// Call once from LLVMFuzzerInitialize: routes exits and messages, and returns
// a private folder for the harness's files.
inline std::filesystem::path setUpHarness(const char* name) {
  platform::interceptExit(throwProgramExit);
  platform::keepMessagesOffScreen();
  const auto folder = std::filesystem::temp_directory_path() /
                      ("pixelfolk-fuzz-" + std::string(name) + "-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  return folder;
}

inline bool writeFile(const std::string& path, const uint8_t* data, size_t size) {
  const std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

}  // namespace fuzzing
