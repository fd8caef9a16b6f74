#include "resources/resource_list.h"

namespace resources {

ListLine readListLine(FILE* file) {
  ListLine line;
  int c = std::getc(file);
  if (c == EOF) return line;
  line.present = true;
  // Keep one character past the limit so that "<79 chars>\r\n" can still
  // drop its carriage return; everything further only counts as too long.
  constexpr size_t kKept = kMaxListLineLength + 1;
  size_t length = 0;
  for (; c != EOF && c != '\n'; c = std::getc(file)) {
    if (line.text.size() < kKept) line.text.push_back(static_cast<char>(c));
    ++length;
  }
  if (c == '\n' && length > 0 && length <= kKept && line.text.back() == '\r') {
    line.text.pop_back();
    --length;
  }
  if (length > static_cast<size_t>(kMaxListLineLength)) {
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
