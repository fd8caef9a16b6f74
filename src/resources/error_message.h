// Error reporting for resource loading: a message box captioned "Error",
// optionally followed by the end of the process.
#pragma once

namespace resources {

void showError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Shows the message, then ends the process with exit code 1.
[[noreturn]] void failWithError(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace resources
