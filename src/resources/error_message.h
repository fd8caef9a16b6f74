// Error reporting for resource loading: a message box captioned "Error",
// optionally followed by the end of the process.
#pragma once

#include <exception>
#include <string>
#include <vector>

namespace resources {

void showError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Shows the message, then ends the process with exit code 1.
[[noreturn]] void failWithError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What failWithError throws while an ErrorCollector is alive.
struct LoadFailed : std::exception {
  const char* what() const noexcept override { return "the media did not load"; }
};

// For loading while the show runs (a rehearsal's live reload), where no box
// may stop the show and no error may end it: while one is alive, the texts
// the boxes would show are kept here instead, and an error that would end
// the process throws LoadFailed after its text is kept. It collects what
// is loaded on the thread that made it; other threads are not affected.
class ErrorCollector {
 public:
  ErrorCollector();
  ~ErrorCollector();
  ErrorCollector(const ErrorCollector&) = delete;
  ErrorCollector& operator=(const ErrorCollector&) = delete;

  const std::vector<std::string>& messages() const { return messages_; }
  void keep(const char* text) { messages_.emplace_back(text); }

 private:
  ErrorCollector* outer_;
  std::vector<std::string> messages_;
};

}  // namespace resources
