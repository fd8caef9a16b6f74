#include "render/font.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/overlay.h"
#include "render/screen.h"
#include "render/show_state.h"

namespace {

constexpr uint32_t kUntouched = 0xFE000000u;
constexpr uint32_t kRed = 0x00FF0000u;

// A 16 x 8 sheet of 32 x 32 glyphs in which glyph k is inked in its column
// k % 32 only, bright enough in one channel: every glyph is recognisable by
// the column it fills.
Picture makeSheet() {
  Picture sheet;
  sheet.image = std::make_unique<Image>(Image{3 * 512, 512, 256, std::vector<uint8_t>(512 * 256 * 3, 30)});
  for (int k = 0; k < 128; ++k) {
    for (int j = 0; j < 32; ++j) {
      const int x = (k % 16) * 32 + k % 32, y = (k / 16) * 32 + j;
      sheet.image->pixels[3 * (y * 512 + x) + k % 3] = 50;
    }
  }
  return sheet;
}

class FontTest : public testing::Test {
 protected:
  void SetUp() override {
    showState.typewriterAccumulator = 0.0;
    showState.typewriterRevealed = 3;
    std::fill(screen.begin(), screen.end(), kUntouched);
  }
  // Which slot n of a text drawn at (x, y) shows: the code whose glyph is
  // there, 0 when the slot is empty, -1 when it holds anything else.
  int slot(int x, int y, int n) const {
    int code = 0;
    for (int k = 0; k < 32; ++k) {
      const int column = x + 32 * n + k;
      if (column < 0 || column >= 640) continue;
      const uint32_t top = framebuffer()[y * 640 + column], bottom = framebuffer()[(y + 31) * 640 + column];
      if (top != bottom) return -1;
      if (top == kUntouched) continue;
      if (code != 0) return -1;
      code = 32 + k;  // glyph k (and k + 32, k + 64 ...) fills column k
    }
    return code;
  }
  std::string shown(int x, int y, int slots) const {
    std::string text;
    for (int n = 0; n < slots; ++n) text.push_back(slot(x, y, n) == 0 ? ' ' : static_cast<char>(slot(x, y, n)));
    return text;
  }
  uint32_t* framebuffer() { return screen.data() + kGuard; }
  const uint32_t* framebuffer() const { return screen.data() + kGuard; }
  bool guardsIntact() const {
    return std::all_of(screen.begin(), screen.begin() + kGuard, [](uint32_t w) { return w == kUntouched; }) &&
           std::all_of(screen.end() - kGuard, screen.end(), [](uint32_t w) { return w == kUntouched; });
  }

  static constexpr int kGuard = 640 * 40;
  std::vector<uint32_t> screen = std::vector<uint32_t>(Screen::pixelCount + 2 * kGuard);
  Picture sheet = makeSheet();
  Font font{16, 8, 32, 32, &sheet};
};

// Characters that share a glyph column with another read back as the lower code.
std::string canonical(const std::string& text) {
  std::string out;
  for (char c : text) out.push_back(c == ' ' ? ' ' : static_cast<char>(32 + (c - 32) % 32));
  return out;
}

TEST_F(FontTest, CutReleasesTheSheetAndKeepsEveryCell) {
  EXPECT_FALSE(sheet.image);
  ASSERT_EQ(font.glyphs.size(), 128u);
  EXPECT_EQ(font.glyphFor(31), nullptr);
  EXPECT_EQ(font.glyphFor(160), nullptr);
  EXPECT_EQ(font.glyphFor(255), nullptr);
  EXPECT_EQ(font.glyphFor(32), font.glyphs[0].get());
  EXPECT_EQ(font.glyphFor(159), font.glyphs[127].get());
  for (int k = 0; k < 128; ++k) {
    const uint32_t ink = 50u << (8 * (2 - k % 3)) | (30u * 0x010101u & ~(0xFFu << (8 * (2 - k % 3))));
    EXPECT_EQ(font.glyphs[k][5 * 32 + k % 32], ink) << k;
    EXPECT_EQ(font.glyphs[k][5 * 32 + (k + 1) % 32], 0x1E1E1Eu) << k;
  }
}

TEST_F(FontTest, TextIsPlacedGlyphByGlyphUpToTheRightEdge) {
  struct Case {
    int x, y;
    std::string text, expected;  // expected: what the slots show, blank for an empty slot
  };
  const std::string twenty = "ABCDEFGHIJKLMNOPQRST";
  const Case cases[] = {
      {0, 0, twenty, twenty.substr(0, 19) + " "},
      {128, 100, twenty, twenty.substr(0, 15)},
      {607, 448, "AB", "A"},
      {608, 448, "AB", ""},
      {640, 0, "AB", ""},
      {641, 0, "AB", ""},
      {0, -1, "AB", ""},
      {0, 481, "AB", ""},
      {0, 0, "", ""},
      {0, 0,
       "A\xC8"
       "B\x1F"
       "C",
       "A B C"},  // codes with no glyph leave their place empty
  };
  for (const Case& c : cases) {
    SetUp();
    drawText(font, framebuffer(), c.x, c.y, 255, 0, 0, "%s", c.text.c_str());
    if (c.expected.empty()) {
      EXPECT_EQ(std::count(screen.begin(), screen.end(), kUntouched), static_cast<long>(screen.size())) << c.x;
      continue;
    }
    EXPECT_EQ(shown(c.x, c.y, static_cast<int>(c.expected.size())), canonical(c.expected)) << c.x << "," << c.y;
    EXPECT_EQ(
        std::count(screen.begin(), screen.end(), kRed),
        32 * static_cast<long>(std::count_if(c.expected.begin(), c.expected.end(), [](char ch) { return ch != ' '; })));
  }
}

TEST_F(FontTest, PositionsOffTheFramebufferAreClippedNotWrittenOutside) {
  drawText(font, framebuffer(), -40, 470, 255, 0, 0, "%s", std::string(1500, 'A').c_str());
  EXPECT_TRUE(guardsIntact());
  // Glyph 1 of the text starts at column -8: its ink column 1 would be at -7.
  EXPECT_EQ(framebuffer()[470 * 640 + 24 + 1], kRed);
  EXPECT_EQ(framebuffer()[479 * 640 + 24 + 1], kRed);
  EXPECT_EQ(framebuffer()[471 * 640 - 7], kUntouched);  // column -7 of row 471, had it wrapped
}

TEST_F(FontTest, StencilThresholdAndUnmaskedColour) {
  Picture tiny;
  tiny.image = std::make_unique<Image>(Image{12, 4, 1, {49, 49, 49, 50, 0, 0, 0, 50, 0, 0, 0, 50}});
  const Font stencil(1, 1, 1, 4, &tiny);
  struct Case {
    int32_t r, g, b;
    uint32_t colour;
  };
  for (const Case c : {Case{255, 0, 0, 0x00FF0000u},
                       {256, 0, 0, 0x01000000u},
                       {0, 300, 0, 0x00012C00u},
                       {32767, 32767, 32767, 0x7FFFFFFFu},
                       {-1, 0, 0, 0xFFFF0000u}}) {
    SetUp();
    drawText(stencil, framebuffer(), 10, 10, c.r, c.g, c.b, " ");
    EXPECT_EQ(framebuffer()[10 * 640 + 10], kUntouched);
    for (int k = 1; k < 4; ++k)
      EXPECT_EQ(framebuffer()[10 * 640 + 10 + k], c.colour) << c.r << "," << c.g << "," << c.b;
  }
}

TEST_F(FontTest, SmallOrMissingSheetIsReportedAndNeverReadOutside) {
  Picture small;
  small.image = std::make_unique<Image>(Image{3 * 40, 40, 40, std::vector<uint8_t>(40 * 40 * 3, 200)});
  testing::internal::CaptureStderr();
  const Font cut(16, 8, 32, 32, &small);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error.: The bitmap doesn't fit with the given criteria!\n");
  ASSERT_EQ(cut.glyphs.size(), 128u);
  // 1600 pixels read as rows 512 long: glyph 0 gets row 0 columns 0..31 and
  // rows 1 and 2 ... only while the 1600 last; everything after is black.
  EXPECT_EQ(cut.glyphs[0][0], 0xC8C8C8u);
  EXPECT_EQ(cut.glyphs[0][3 * 32 + 31], 0xC8C8C8u);  // pixel 1567
  EXPECT_EQ(cut.glyphs[0][4 * 32], 0u);              // pixel 2048
  EXPECT_EQ(cut.glyphs[1][0], 0xC8C8C8u);            // pixel 32
  EXPECT_EQ(cut.glyphs[127][32 * 32 - 1], 0u);

  Picture unloaded;
  for (Picture* source : {static_cast<Picture*>(nullptr), &unloaded}) {
    testing::internal::CaptureStderr();
    const Font none(16, 8, 32, 32, source);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error.: Error while loading bitmap. Is the path correct?\n");
    SetUp();
    drawText(none, framebuffer(), 0, 0, 255, 0, 0, "ABC");
    EXPECT_EQ(std::count(screen.begin(), screen.end(), kUntouched), static_cast<long>(screen.size()));
  }
}

TEST_F(FontTest, TypewriterRevealsOneCharacterPerFilledAccumulator) {
  struct Step {
    double increment;
    std::string text, shows;
    double accumulatorAfter;
    int revealedAfter;
  };
  struct Case {
    const char* name;
    int revealedBefore;
    double accumulatorBefore;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"no increment", 3, 0.0, {{0.0, "ABCDEFGHIJ", "ABC", 0.0, 3}, {0.0, "ABCDEFGHIJ", "ABC", 0.0, 3}}},
      {"0.4 a call",
       3,
       0.0,
       {{0.4, "ABCDEFGHIJ", "ABC", 0.4, 3},
        {0.4, "ABCDEFGHIJ", "ABC", 0.8, 3},
        {0.4, "ABCDEFGHIJ", "ABC", 0.0, 4},
        {0.4, "ABCDEFGHIJ", "ABCD", 0.4, 4}}},
      {"short text empties but does not count", 3, 0.9, {{0.2, "AB", "AB", 0.0, 3}, {0.0, "ABCDE", "ABC", 0.0, 3}}},
      {"empty text empties", 3, 1.5, {{0.0, "", "", 0.0, 3}}},
      {"shared by lines",
       3,
       0.0,
       {{0.6, "ABCDEFG", "ABC", 0.6, 3}, {0.6, "HIJKLMN", "HIJ", 0.0, 4}, {0.6, "ABCDEFG", "ABCD", 0.6, 4}}},
      {"count never goes back", 7, 0.0, {{0.0, "ABCDE", "ABCDE", 0.0, 7}, {1.0, "ABCDEFGHIJKL", "ABCDEFG", 0.0, 8}}},
      {"percent signs are drawn", 9, 0.0, {{0.0, "5%d%s%n", "5%d%s%n", 0.0, 9}}},
  };
  for (const Case& c : cases) {
    SetUp();
    showState.typewriterRevealed = c.revealedBefore;
    showState.typewriterAccumulator = c.accumulatorBefore;
    for (const Step& step : c.steps) {
      std::fill(screen.begin(), screen.end(), kUntouched);
      typeText(font, step.increment, framebuffer(), 0, 100, 255, 0, 0, "%s", step.text.c_str());
      EXPECT_EQ(shown(0, 100, 12), canonical(step.shows) + std::string(12 - step.shows.size(), ' ')) << c.name;
      EXPECT_DOUBLE_EQ(showState.typewriterAccumulator, step.accumulatorAfter) << c.name;
      EXPECT_EQ(showState.typewriterRevealed, step.revealedAfter) << c.name;
    }
  }
}

// The overlay's own small text: a message's own newlines start new lines,
// long lines break at spaces (mid-word only when a word is too long, and at
// a space in the very last column too), the signs the show's messages use
// are spelled out, any other character is one '?'; the box it draws stays
// inside the framebuffer, only darkening what it covers.
TEST(Overlay, LinesWrapAndTheBoxStaysInTheFramebuffer) {
  const size_t width = static_cast<size_t>(overlay::charactersPerLine());
  ASSERT_GT(width, 40u);
  const std::string a(width, 'a');
  const struct {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"short", {"short"}},
      {a, {a}},
      {a.substr(2) + " bcd", {a.substr(2), "bcd"}},
      {a.substr(1) + " bcd", {a.substr(1), "bcd"}},
      {a + " bcd", {a, "bcd"}},
      {a + "xxxxx", {a, "xxxxx"}},
      {"greyscale.\nCouldn't load", {"greyscale.", "Couldn't load"}},
      {"one\r\ntwo\n", {"one", "two", ""}},
      {"is 10000 \u00D7 10000", {"is 10000 x 10000"}},
      {a.substr(1) + "\u00D7", {a.substr(1) + "x"}},
      {"caf\u00E9 \u6771\tend\x01", {"caf? ? end?"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> lines;
    for (const overlay::Line& line : overlay::wrapped({c.text})) lines.push_back(line.text);
    EXPECT_EQ(lines, c.lines) << c.text;
  }

  std::vector<uint32_t> framebuffer(Screen::pixelCount + 64, 0x00808080u);
  std::vector<overlay::Line> many(60, overlay::Line{std::string(3 * width, 'W')});
  overlay::draw(framebuffer.data(), many);
  for (size_t i = Screen::pixelCount; i < framebuffer.size(); ++i) ASSERT_EQ(framebuffer[i], 0x00808080u) << i;
  int white = 0;
  for (int i = 0; i < Screen::pixelCount; ++i) {
    const uint32_t p = framebuffer[static_cast<size_t>(i)];
    ASSERT_TRUE(p == 0x00808080u || p == 0x00202020u || p == overlay::kWhite) << i;
    white += p == overlay::kWhite;
  }
  EXPECT_GT(white, 1000);
  EXPECT_EQ(framebuffer[Screen::pixelCount - 1], 0x00808080u) << "the margin is left alone";
}

}  // namespace
