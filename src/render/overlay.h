// The rehearsal's overlay: lines of small text in a darkened box at the top
// left of the framebuffer, drawn over the scene just before it is presented.
// Its own 5 x 8 font, doubled, since the show's font has 32 x 32 glyphs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace overlay {

inline constexpr int kScale = 2;
inline constexpr uint32_t kWhite = 0x00FFFFFF;
inline constexpr uint32_t kYellow = 0x00FFE040;

struct Line {
  // UTF-8; a newline starts a new line. The signs the show's messages use
  // (such as the multiplication sign) are spelled in ASCII, any other
  // character shows as one '?'.
  std::string text;
  uint32_t colour = kWhite;
};

// How many characters fit on one line of the box.
int charactersPerLine();

// A line cut at its newlines and into lines that fit, at spaces where it
// can be; the lines returned hold only what the small font draws.
std::vector<Line> wrapped(const Line& line);

// Darkens the box the lines need and writes them into it; lines too long are
// wrapped, lines below the framebuffer left out.
void draw(uint32_t* framebuffer, const std::vector<Line>& lines);

}  // namespace overlay
