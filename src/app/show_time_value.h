// Show times and other values typed on a command line, read and echoed alike
// by the show (--seek) and the capture tool (--frame-at, --from, --to,
// --load-delay).
#pragma once

#include <string>

// Seconds written as digits with at most one decimal point ("57.5", "90",
// ".5"), from 0 to the show's length; no sign, exponent, hexadecimal or words
// such as "inf". Leaves *seconds alone when it returns false.
bool parseShowTime(const std::string& text, double* seconds);

// Why `option` refused `text`: "--seek takes seconds from 0 to 96, such as
// 57.5, not '...'".
std::string showTimeRefusal(const std::string& option, const std::string& text);

// A refused value quoted for its message, cut after kLongestEcho characters
// so that a pasted page does not come back as a page of error.
inline constexpr size_t kLongestEcho = 40;
std::string quotedValue(const std::string& text);
