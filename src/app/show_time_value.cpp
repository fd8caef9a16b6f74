#include "app/show_time_value.h"

#include <cstdlib>

#include "app/show_loop.h"

bool parseShowTime(const std::string& text, double* seconds) {
  size_t digits = 0;
  size_t points = 0;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else {
      return false;
    }
  }
  if (digits == 0 || points > 1 || digits > 12) return false;
  const double value = std::strtod(text.c_str(), nullptr);
  if (!(value >= 0.0 && value <= kShowLength)) return false;
  *seconds = value;
  return true;
}

std::string showTimeRefusal(const std::string& option, const std::string& text) {
  return option + " takes seconds from 0 to " + std::to_string(static_cast<int>(kShowLength)) + ", such as 57.5, not " +
         quotedValue(text);
}

namespace {
// Appended rather than "'" + text: GCC 12 at -O2 warns a false -Wrestrict on that form.
std::string quoted(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '\'';
  out += text;
  out += '\'';
  return out;
}
}  // namespace

std::string quotedValue(const std::string& text) {
  // Counted in characters, not bytes: the cut never splits a UTF-8 sequence.
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    if (!continuation && characters++ == kLongestEcho) return quoted(text.substr(0, i) + "...");
  }
  return quoted(text);
}
