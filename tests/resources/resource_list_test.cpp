#include "resources/resource_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using resources::ResourceFields;

std::vector<resources::ListLine> readAll(const std::string& content) {
  FILE* file = std::tmpfile();
  std::fwrite(content.data(), 1, content.size(), file);
  std::rewind(file);
  std::vector<resources::ListLine> lines;
  for (auto line = resources::readListLine(file); line.present; line = resources::readListLine(file)) {
    lines.push_back(line);
  }
  std::fclose(file);
  return lines;
}

TEST(ResourceList, SplitsLinesAndDropsTheirEnds) {
  struct Case {
    std::string content;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a 1\nb 2 3\n", {"a 1", "b 2 3"}},
      {"a 1\r\n\r\n.c\r\nlast", {"a 1", "", ".c", "last"}},
      {"\n\n", {"", ""}},
      {"mid\rdle\n", {"mid\rdle"}},
      {std::string(79, 'x') + "\r\n" + std::string(79, 'y'), {std::string(79, 'x'), std::string(79, 'y')}},
  };
  for (const Case& c : cases) {
    const auto lines = readAll(c.content);
    ASSERT_EQ(lines.size(), c.lines.size()) << c.content;
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].text, c.lines[i]);
      EXPECT_FALSE(lines[i].tooLong);
    }
  }
}

TEST(ResourceList, FlagsLinesOverSeventyNineCharactersAndStopsReadingThem) {
  struct Case {
    std::string content;
    long stopsAt;  // where the reader leaves the file
  };
  const Case cases[] = {
      {std::string(80, 'x') + "\nnext\n", 81},
      {std::string(500, 'x') + "\r\nnext", 81},
      {std::string(80, 'x') + "\r\nnext", 81},
      {std::string(79, 'x') + "\ry\n", 81},  // a \r kept in case the line ended there
      {std::string(81, 'x'), 81},
  };
  for (const Case& c : cases) {
    FILE* file = std::tmpfile();
    std::fwrite(c.content.data(), 1, c.content.size(), file);
    std::rewind(file);
    const resources::ListLine line = resources::readListLine(file);
    EXPECT_TRUE(line.present);
    EXPECT_TRUE(line.tooLong) << c.content.size();
    EXPECT_FALSE(line.failed);
    EXPECT_EQ(line.text, std::string(79, 'x'));
    EXPECT_EQ(std::ftell(file), c.stopsAt) << c.content.size();
    std::fclose(file);
  }
}

TEST(ResourceList, AnEndlessLineCostsNoMoreThanTheLimit) {
  FILE* zeros = std::fopen("/dev/zero", "r");
  ASSERT_NE(zeros, nullptr);
  const resources::ListLine line = resources::readListLine(zeros);
  EXPECT_TRUE(line.tooLong);
  EXPECT_EQ(line.text.size(), 79u);
  std::fclose(zeros);
}

// A stream that hands out `text` and then fails, as a disk or a network file
// system can partway through a file.
struct FailingRead {
  std::string text;
  size_t offset = 0;
};

FILE* openFailingAfter(FailingRead& state) {
  cookie_io_functions_t functions{};
  functions.read = [](void* cookie, char* buffer, size_t size) -> ssize_t {
    auto* read = static_cast<FailingRead*>(cookie);
    if (read->offset == read->text.size()) return -1;
    const size_t count = std::min(size, read->text.size() - read->offset);
    read->text.copy(buffer, count, read->offset);
    read->offset += count;
    return static_cast<ssize_t>(count);
  };
  return fopencookie(&state, "r", functions);
}

TEST(ResourceList, AReadErrorIsAFailureNotTheEndOfTheList) {
  for (const std::string& before : {std::string(""), std::string("font 1\n"), std::string("font 1\nsky")}) {
    FailingRead state{before};
    FILE* file = openFailingAfter(state);
    ASSERT_NE(file, nullptr);
    resources::ListLine line = resources::readListLine(file);
    int complete = 0;
    for (; line.present; line = resources::readListLine(file)) ++complete;
    EXPECT_TRUE(line.failed) << before;
    EXPECT_EQ(complete, before == "" ? 0 : 1) << "a line cut by the error is not a line: " << before;
    std::fclose(file);
  }
}

TEST(ResourceList, FieldsMissingFromALineKeepTheirValues) {
  struct Case {
    ResourceFields before;
    std::string line;
    ResourceFields after;
  };
  const Case cases[] = {
      {{"", 0, 0}, "font 1", {"font", 1, 0}},
      {{"walk", 2, 30}, "run 2", {"run", 2, 30}},
      {{"walk", 2, 12}, "walk", {"walk", 2, 12}},
      {{"sky", 0, 12}, "sea", {"sea", 0, 12}},
      {{"walk", 2, 12}, "   ", {"walk", 2, 12}},
      {{"a", 2, 4}, "b x 9", {"b", 2, 4}},
      {{"a", 2, 4}, "b 1 y", {"b", 1, 4}},
      {{"", 0, 0}, "walk 0x2 010", {"walk", 2, 8}},
      {{"", 0, 0}, "w 0X2 -0x1F", {"w", 2, -31}},
      {{"", 0, 0}, "w +2 12 extra words", {"w", 2, 12}},
      {{"", 0, 0}, " \t.dot -1", {".dot", -1, 0}},
      {{"", 0, 0}, "w 08", {"w", 0, 8}},  // octal 0 stops before the 8, which is the next field
  };
  for (const Case& c : cases) {
    ResourceFields fields = c.before;
    resources::scanResourceLine(c.line, fields);
    EXPECT_STREQ(fields.name, c.after.name) << c.line;
    EXPECT_EQ(fields.type, c.after.type) << c.line;
    EXPECT_EQ(fields.frameCount, c.after.frameCount) << c.line;
  }
}

}  // namespace
