#include "platform/common/message_lines.h"

namespace platform {

namespace {

bool continuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Appends one line (no line break in it), broken to the limit.
void appendBroken(std::string& out, std::string line, size_t maxColumns) {
  for (;;) {
    size_t i = 0;
    size_t columns = 0;
    bool sawWord = false;
    size_t cut = std::string::npos;  // where the line ends
    size_t resume = 0;               // where the next one starts
    while (i < line.size()) {
      size_t next = i + 1;
      while (next < line.size() && continuesCharacter(line[next])) ++next;
      const char c = line[i];
      // A space right after the last character that fits is still a break.
      if (c == ' ' && sawWord) {
        cut = i;
        resume = next;
      }
      if (columns == maxColumns) break;
      if (isSeparator(c)) {
        cut = next;
        resume = next;
      }
      sawWord = sawWord || c != ' ';
      ++columns;
      i = next;
    }
    if (i >= line.size()) {
      out += line;
      return;
    }
    if (cut == std::string::npos) cut = resume = i;
    std::string head = line.substr(0, cut);
    while (!head.empty() && head.back() == ' ' && head.find_first_not_of(' ') != std::string::npos) head.pop_back();
    out += head;
    out += '\n';
    line.erase(0, resume);
  }
}

}  // namespace

std::string breakIntoLines(const std::string& text, size_t maxColumns) {
  if (maxColumns == 0) return text;
  std::string out;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\n', start);
    appendBroken(out, text.substr(start, end == std::string::npos ? std::string::npos : end - start), maxColumns);
    if (end == std::string::npos) return out;
    out += '\n';
    start = end + 1;
  }
}

std::string captionEveryLine(const char* caption, const std::string& text) {
  std::string out;
  size_t start = 0;
  do {
    const size_t end = text.find('\n', start);
    out += caption;
    out += ": ";
    out.append(text, start, end == std::string::npos ? std::string::npos : end - start);
    out += '\n';
    start = end == std::string::npos ? text.size() + 1 : end + 1;
  } while (start < text.size());
  return out;
}

}  // namespace platform
