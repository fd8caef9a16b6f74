#include "resources/error_message.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/platform.h"

namespace resources {
namespace {

// Per thread: a reload collects on its worker while the frame loop goes on.
thread_local ErrorCollector* collector = nullptr;

void deliver(const char* text) {
  if (collector != nullptr) {
    collector->keep(text);
  } else {
    platform::showMessageBox("Error", text);
  }
}

// Paths and list names have no fixed bound here, so the text is sized to fit
// rather than cut at some buffer length.
void showFormatted(const char* format, va_list arguments) {
  va_list measuring;
  va_copy(measuring, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  if (length < 0) {
    deliver(format);
    return;
  }
  std::vector<char> text(static_cast<size_t>(length) + 1);
  std::vsnprintf(text.data(), text.size(), format, arguments);
  deliver(text.data());
}

}  // namespace

ErrorCollector::ErrorCollector() : outer_(collector) { collector = this; }

ErrorCollector::~ErrorCollector() { collector = outer_; }

void showError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  showFormatted(format, arguments);
  va_end(arguments);
}

void failWithError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  showFormatted(format, arguments);
  va_end(arguments);
  if (collector != nullptr) throw LoadFailed();
  platform::exitProcess(1);
}

}  // namespace resources
