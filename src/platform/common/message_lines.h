// Breaking a message into lines, for message boxes that do not wrap their
// text themselves and would otherwise grow wider than the screen.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The text with line breaks put in so that no line holds more than
// maxColumns characters (a UTF-8 sequence counts as one). A line is broken
// after the last path separator ('/' or '\\') or at the last space (which is
// dropped) that leaves the line within the limit; a word with neither is cut
// at the limit. Line breaks already in the text stay. maxColumns 0 leaves the
// text as it is.
std::string breakIntoLines(const std::string& text, size_t maxColumns);

// "caption: line" for every line of the text, each ending in a line break:
// the standard-error form of a message box.
std::string captionEveryLine(const char* caption, const std::string& text);

}  // namespace platform
