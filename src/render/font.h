// The bitmap font: a grid of glyph cells cut once from a picture, drawn as
// one-colour stencils, plus the typewriter that reveals text one character
// at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "resources/picture.h"

// What a picture smaller than the font's grid is told.
inline constexpr char kFontDoesNotFitMessage[] = "The bitmap doesn't fit with the given criteria!";

class Font {
 public:
  int32_t glyphWidth = 0;
  int32_t glyphHeight = 0;
  int32_t columns = 0;
  int32_t rows = 0;
  // columns * rows glyphs of glyphWidth * glyphHeight words 0x00RRGGBB, row by
  // row; glyph k is cell (k % columns, k / columns). Empty when there was no
  // picture to cut.
  std::vector<std::unique_ptr<uint32_t[]>> glyphs;

  // Cuts the glyphs from source, then releases the source's image. A missing
  // picture or a picture smaller than the grid is reported ("Error."); cells
  // reaching past the picture's pixels are filled with black.
  Font(int32_t columns, int32_t rows, int32_t glyphHeight, int32_t glyphWidth, Picture* source);

  // The glyph of a character code (code 32 is glyph 0), or nullptr when the
  // font has none for it.
  const uint32_t* glyphFor(unsigned char code) const;
};

// Draws printf-formatted text in one colour, (x, y) being the top-left corner
// of the first glyph. The colour word is (r << 16) | (g << 8) | b without
// masking, so channel values above 255 spill into the next byte up. A glyph
// that would reach column 639 or beyond is left out.
void drawText(const Font& font, uint32_t* framebuffer, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b,
              const char* format, ...) __attribute__((format(printf, 8, 9)));

// Like drawText, but shows only the first typewriterRevealed characters.
// Every call adds its increment to the shared accumulator; the call that
// finds it at 1.0 or more empties it and, if its own text is longer than the
// count, reveals one more character from the next call on.
void typeText(const Font& font, double increment, uint32_t* framebuffer, int32_t x, int32_t y, int32_t r, int32_t g,
              int32_t b, const char* format, ...) __attribute__((format(printf, 9, 10)));
