#include "resources/resource_list.h"

#include <cstring>

namespace resources {

void skipByteOrderMark(FILE* file) {
  static constexpr unsigned char kMark[] = {0xEF, 0xBB, 0xBF};
  unsigned char start[sizeof kMark];
  if (std::fread(start, 1, sizeof start, file) == sizeof start && std::memcmp(start, kMark, sizeof kMark) == 0) return;
  // Anything else is the first line's; a read error stays for the reader to meet.
  std::fseek(file, 0, SEEK_SET);
}

ListLine readListLine(FILE* file) {
  ListLine line;
  int c = std::getc(file);
  if (c == EOF) {
    line.failed = std::ferror(file) != 0;
    return line;
  }
  line.present = true;
  // Keep one character past the limit so that "<79 chars>\r\n" can still
  // drop its carriage return; one more proves the line too long.
  constexpr size_t kKept = kMaxListLineLength + 1;
  for (; c != EOF && c != '\n'; c = std::getc(file)) {
    if (line.text.size() == kKept) {
      line.tooLong = true;
      line.text.resize(kMaxListLineLength);
      return line;
    }
    line.text.push_back(static_cast<char>(c));
  }
  if (c == EOF && std::ferror(file) != 0) {
    line.present = false;
    line.failed = true;
    return line;
  }
  if (c == '\n' && !line.text.empty() && line.text.back() == '\r') line.text.pop_back();
  if (line.text.size() > static_cast<size_t>(kMaxListLineLength)) {
    line.tooLong = true;
    line.text.resize(kMaxListLineLength);
  }
  return line;
}

bool isCommentLine(const std::string& line) { return line.empty() || line[0] == '.'; }

void scanResourceLine(const std::string& line, ResourceFields& fields) {
  // The name buffer holds a whole line, so the bounded %s never cuts a name.
  static_assert(sizeof fields.name == kMaxListLineLength + 1);
  std::sscanf(line.c_str(), "%79s %i %i", fields.name, &fields.type, &fields.frameCount);
}

bool buildPicturePath(const char* name, char (&out)[kPathBufferSize]) {
  const int length = std::snprintf(out, sizeof out, "data/jpgs/%s.jpg", name);
  return length >= 0 && length < kPathBufferSize;
}

bool buildAnimationPath(const char* name, char (&out)[kPathBufferSize]) {
  const int length = std::snprintf(out, sizeof out, "data/animations/%s/%s.jpg", name, name);
  return length >= 0 && length < kPathBufferSize;
}

}  // namespace resources
