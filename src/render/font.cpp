#include "render/font.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "render/pixel_runs.h"
#include "render/pixel_work.h"
#include "render/screen.h"
#include "render/show_state.h"

namespace {

constexpr int kTextBufferSize = 1000;  // formatted text, NUL included
constexpr unsigned char kFirstGlyphCode = 32;

// The system's colours are OR-ed together unmasked on purpose: values above
// 255 spill into the neighbouring channel and the top byte.
uint32_t textColour(int32_t r, int32_t g, int32_t b) {
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

// Glyph pixel (i, j) of cell (v, u) is read as if the picture's rows were
// exactly columns * glyphWidth pixels long, as the font sheets are made;
// pixels past the end of a smaller picture come out black.
std::unique_ptr<uint32_t[]> cutGlyph(const Font& font, const Image& image, int64_t u, int64_t v) {
  const int64_t sheetWidth = static_cast<int64_t>(font.columns) * font.glyphWidth;
  const int64_t pixelCount = static_cast<int64_t>(image.pixels.size() / 3);
  auto glyph = std::make_unique<uint32_t[]>(static_cast<size_t>(font.glyphWidth) * font.glyphHeight);
  for (int64_t j = 0; j < font.glyphHeight; ++j) {
    for (int64_t i = 0; i < font.glyphWidth; ++i) {
      const int64_t index = (u * font.glyphHeight + j) * sheetWidth + v * font.glyphWidth + i;
      uint32_t word = 0;
      if (index < pixelCount) {
        const uint8_t* rgb = image.pixels.data() + 3 * index;
        word = (static_cast<uint32_t>(rgb[0]) << 16) | (static_cast<uint32_t>(rgb[1]) << 8) | rgb[2];
      }
      glyph[j * font.glyphWidth + i] = word;
    }
  }
  return glyph;
}

void drawFormatted(const Font& font, uint32_t* framebuffer, int32_t x, int32_t y, uint32_t colour, const char* text) {
  if (framebuffer == nullptr || y < 0 || x > Screen::width || y > Screen::height || text[0] == '\0') return;
  const int64_t glyphWidth = font.glyphWidth;
  // Rows below the framebuffer and columns left of it are cut off; a glyph
  // reaching column 639 or further right is left out whole.
  const int64_t endRow = std::min<int64_t>(font.glyphHeight, Screen::height - y);
  for (int64_t n = 0; text[n] != '\0'; ++n) {
    const uint32_t* glyph = font.glyphFor(static_cast<unsigned char>(text[n]));
    if (glyph == nullptr) continue;
    const int64_t left = x + n * glyphWidth;
    if (left + glyphWidth >= Screen::width) continue;
    const int64_t firstColumn = std::max<int64_t>(0, -left);
    if (firstColumn >= glyphWidth) continue;  // wholly left of the framebuffer
    for (int64_t j = 0; j < endRow; ++j) {
      uint32_t* row = framebuffer + (y + j) * Screen::width;
      const uint32_t* glyphRow = glyph + j * glyphWidth;
      pixelruns::stencilRun(glyphRow + firstColumn, row + left + firstColumn, glyphWidth - firstColumn, colour);
    }
  }
}

}  // namespace

Font::Font(int32_t columnCount, int32_t rowCount, int32_t height, int32_t width, Picture* source) {
  if (source == nullptr || !source->image) {
    platform::showMessageBox("Error.", "Error while loading bitmap. Is the path correct?");
  } else if (source->image->width < static_cast<int64_t>(columnCount) * width ||
             source->image->height < static_cast<int64_t>(rowCount) * height) {
    platform::showMessageBox("Error.", kFontDoesNotFitMessage);
  }
  glyphWidth = width;
  glyphHeight = height;
  columns = columnCount;
  rows = rowCount;
  if (source == nullptr || !source->image) return;
  if (columns <= 0 || rows <= 0 || glyphWidth <= 0 || glyphHeight <= 0) {
    source->release();
    return;
  }

  glyphs.reserve(static_cast<size_t>(columns) * static_cast<size_t>(rows));
  for (int64_t u = 0; u < rows; ++u) {
    for (int64_t v = 0; v < columns; ++v) glyphs.push_back(cutGlyph(*this, *source->image, u, v));
  }
  source->release();
}

const uint32_t* Font::glyphFor(unsigned char code) const {
  if (code < kFirstGlyphCode) return nullptr;
  const size_t index = code - kFirstGlyphCode;
  return index < glyphs.size() ? glyphs[index].get() : nullptr;
}

void drawText(const Font& font, uint32_t* framebuffer, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b,
              const char* format, ...) {
  if (format == nullptr || !pixelwork::enabled()) return;
  char text[kTextBufferSize];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  if (length < 0) return;
  drawFormatted(font, framebuffer, x, y, textColour(r, g, b), text);
}

void typeText(const Font& font, double increment, uint32_t* framebuffer, int32_t x, int32_t y, int32_t r, int32_t g,
              int32_t b, const char* format, ...) {
  // Shared by every call: the show state's (render/show_state.h).
  double& typewriterAccumulator = showState.typewriterAccumulator;
  int32_t& typewriterRevealed = showState.typewriterRevealed;
  if (increment != 0.0) typewriterAccumulator += increment;

  char text[kTextBufferSize] = "";
  if (format != nullptr) {
    va_list arguments;
    va_start(arguments, format);
    if (std::vsnprintf(text, sizeof text, format, arguments) < 0) text[0] = '\0';
    va_end(arguments);
  }
  const int32_t length = static_cast<int32_t>(std::strlen(text));

  // The text shown is cut before the count may grow: a newly revealed
  // character appears from the next call on.
  char shown[kTextBufferSize];
  const int32_t shownLength = std::clamp(typewriterRevealed, 0, length);
  std::memcpy(shown, text, static_cast<size_t>(shownLength));
  shown[shownLength] = '\0';

  if (typewriterAccumulator >= 1.0) {
    typewriterAccumulator = 0.0;  // the part above 1.0 is dropped, not carried over
    if (typewriterRevealed < length) ++typewriterRevealed;
  }

  // Handed over as data: a percent sign in the text is drawn, not interpreted.
  drawText(font, framebuffer, x, y, r, g, b, "%s", shown);
}
