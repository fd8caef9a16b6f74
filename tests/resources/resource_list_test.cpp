#include "resources/resource_list.h"

#include <gtest/gtest.h>

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

TEST(ResourceList, FlagsLinesOverSeventyNineCharacters) {
  for (const std::string& content :
       {std::string(80, 'x') + "\nnext\n", std::string(500, 'x') + "\r\nnext", std::string(80, 'x') + "\r\nnext"}) {
    const auto lines = readAll(content);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].tooLong);
    EXPECT_EQ(lines[0].text.size(), 79u);
    EXPECT_EQ(lines[1].text, "next");
    EXPECT_FALSE(lines[1].tooLong);
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
