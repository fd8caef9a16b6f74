// Running another program with a pipe to its standard input, for tools that
// hand their output to an encoder.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The full path of a program found on PATH, or "" when there is none.
std::string findProgram(const char* name);

// A child process reading what we write. Writing to a child that has gone
// away fails instead of killing this process.
class ChildInput {
 public:
  ChildInput() = default;
  ChildInput(const ChildInput&) = delete;
  ChildInput& operator=(const ChildInput&) = delete;
  ~ChildInput();

  // Starts `program` with `args` (not through a shell). False with a reason when it cannot start.
  bool start(const std::string& program, const std::vector<std::string>& args, std::string* error);
  bool write(const void* data, size_t size);
  // Closes the pipe and waits; the child's exit code, or -1 if it did not exit normally.
  int finish();

 private:
  int fd_ = -1;
  int pid_ = -1;
};
