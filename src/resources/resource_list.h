// Reading the resource list "resinfo.rli": one resource per line,
// "<name> <type> [<frame count>]", scanned like scanf's "%s %i %i".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace resources {

constexpr int kMaxListLineLength = 79;  // characters, line end not counted
constexpr int kPathBufferSize = 80;     // paths are built in this many chars, NUL included
// No real list comes near this; a larger file is refused before it is read.
constexpr int64_t kMaxListBytes = 1 << 20;

constexpr int32_t kPictureType = 1;
constexpr int32_t kAnimationType = 2;

// The fields carry over from line to line: whatever a line does not supply
// keeps the value the previous lines left.
struct ResourceFields {
  char name[kMaxListLineLength + 1] = "";
  int32_t type = 0;
  int32_t frameCount = 0;
};

struct ListLine {
  bool present = false;  // false once the end of the file has been met, or on a read error
  bool failed = false;   // a read error: the rest of the list is unknown, not absent
  bool tooLong = false;  // more than kMaxListLineLength characters
  std::string text;      // without its line end ("\n" or "\r\n"); cut when tooLong
};

// Some editors begin a UTF-8 file with a byte-order mark; at the very start
// of the list it is part of no entry and is passed over. Call before the
// first line.
void skipByteOrderMark(FILE* file);

// Reads the next line; a last line without a line end counts as a line.
// Reading stops as soon as a line is known to be too long, so a line without
// end costs no more than the limit.
ListLine readListLine(FILE* file);

// Empty lines and lines starting with '.' are skipped.
bool isCommentLine(const std::string& line);

// Scans "%s %i %i" into the fields, stopping at the first one that does not match.
void scanResourceLine(const std::string& line, ResourceFields& fields);

// Writes the file path of a resource into out; false when it does not fit
// (a picture name over 65 characters, an animation name over 29).
bool buildPicturePath(const char* name, char (&out)[kPathBufferSize]);
bool buildAnimationPath(const char* name, char (&out)[kPathBufferSize]);

}  // namespace resources
