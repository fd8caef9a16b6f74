#include "font_sheet.h"

#include <algorithm>
#include <array>

#include "glyph_raster.h"

namespace mkmedia {

namespace {

constexpr int kInkBox = kFontCell - 2 * kFontMargin;  // 30 usable rows and columns
constexpr float kEmbolden = 1.5f;
// Coverage at which a pixel counts as stroke; the sheet is two-level so the
// text stencil reproduces the outline exactly.
constexpr float kStrokeCoverage = 0.5f;

// Codes 128..159: symbols for decoration (hearts, notes, arrows, shades).
constexpr std::array<uint32_t, 32> kSymbols = {
    0x2665, 0x2666, 0x2663, 0x2660, 0x2605, 0x2606, 0x266A, 0x266B,  // suits, stars, notes
    0x263A, 0x263B, 0x25CF, 0x25CB, 0x25A0, 0x25A1, 0x25B2, 0x25BC,  // faces, shapes
    0x25C0, 0x25B6, 0x2190, 0x2192, 0x2191, 0x2193, 0x2591, 0x2592,  // arrows, shades
    0x2593, 0x2588, 0x2580, 0x2584, 0x258C, 0x2590, 0x25C6, 0x2736,  // blocks, diamond, star
};

struct InkBounds {
  int top = 0;     // rows above the baseline
  int bottom = 0;  // rows below the baseline
};

InkBounds asciiBounds(const GlyphRasterizer& font) {
  InkBounds b;
  for (uint32_t c = 33; c < 127; ++c) {
    GlyphImage g = font.render(c, kEmbolden);
    b.top = std::max(b.top, g.top);
    b.bottom = std::max(b.bottom, g.coverage.height - g.top);
  }
  return b;
}

// A grey ramp bright at the top of each stroke row, a touch dimmer at the foot:
// a plain chrome look that keeps the sheet free of colour (no chroma fringes).
float strokeShade(int row) { return 1.0f - 0.25f * float(row) / float(kFontCell - 1); }

void stampGlyph(Canvas& sheet, int cell, const GlyphImage& g, int originX, int baselineY) {
  const int cellLeft = (cell % kFontColumns) * kFontCell;
  const int cellTop = (cell / kFontColumns) * kFontCell;
  for (int y = 0; y < g.coverage.height; ++y) {
    for (int x = 0; x < g.coverage.width; ++x) {
      if (g.coverage.at(x, y) < kStrokeCoverage) continue;
      int cx = originX + g.left + x;
      int cy = baselineY - g.top + y;
      // Anything beyond the ink box is cut rather than spilled into a neighbour.
      if (cx < kFontMargin || cy < kFontMargin || cx >= kFontCell - kFontMargin || cy >= kFontCell - kFontMargin) {
        continue;
      }
      float v = strokeShade(cy);
      sheet.at(cellLeft + cx, cellTop + cy) = {v, v, v};
    }
  }
}

// Symbols come in all sizes: scale each so its ink fills the box, centred.
GlyphImage fittedSymbol(GlyphRasterizer& font, uint32_t codepoint) {
  float em = 30.0f;
  GlyphImage g;
  for (int attempt = 0; attempt < 12; ++attempt) {
    font.setEmSize(em, em);
    g = font.render(codepoint, kEmbolden);
    int extent = std::max(g.coverage.width, g.coverage.height);
    if (extent == 0 || extent <= kInkBox) break;
    em *= float(kInkBox) / float(extent) * 0.98f;
  }
  return g;
}

}  // namespace

Canvas makeFontSheet() {
  Canvas sheet(kFontColumns * kFontCell, kFontRows * kFontCell);
  GlyphRasterizer mono(kMonoBoldFont);
  GlyphRasterizer sans(kSansBoldFont);
  if (!mono.ok()) return sheet;

  // Largest em whose letters, descenders included, fit the box; then stretch
  // sideways until an M nearly fills it: a squat, chunky demo face.
  float emHeight = 40.0f;
  InkBounds bounds;
  for (;; emHeight -= 0.5f) {
    mono.setEmSize(emHeight, emHeight);
    bounds = asciiBounds(mono);
    if (bounds.top + bounds.bottom <= kInkBox || emHeight < 8) break;
  }
  const int baseline = kFontMargin + bounds.top + (kInkBox - bounds.top - bounds.bottom) / 2;
  const int widthOfM = std::max(1, mono.render('M', kEmbolden).coverage.width);
  const float emWidth = emHeight * float(kInkBox - 3) / float(widthOfM);

  for (int code = 33; code < 127; ++code) {
    // The few letters wider than the box (W, @, %) are squeezed to fit it.
    float width = emWidth;
    mono.setEmSize(width, emHeight);
    GlyphImage g = mono.render(uint32_t(code), kEmbolden);
    for (int attempt = 0; attempt < 4 && g.coverage.width > kInkBox - 1; ++attempt) {
      width *= float(kInkBox - 1) / float(g.coverage.width);
      mono.setEmSize(width, emHeight);
      g = mono.render(uint32_t(code), kEmbolden);
    }
    // Centre the ink, not the advance: every cell then reads evenly spaced.
    int originX = (kFontCell - g.coverage.width) / 2 - g.left;
    stampGlyph(sheet, code - 32, g, originX, baseline);
  }
  for (size_t i = 0; i < kSymbols.size(); ++i) {
    GlyphRasterizer& font = mono.hasGlyph(kSymbols[i]) ? mono : sans;
    if (!font.hasGlyph(kSymbols[i])) continue;
    GlyphImage g = fittedSymbol(font, kSymbols[i]);
    int originX = (kFontCell - g.coverage.width) / 2 - g.left;
    int baselineY = (kFontCell - g.coverage.height) / 2 + g.top;
    stampGlyph(sheet, 96 + int(i), g, originX, baselineY);
  }
  return sheet;
}

}  // namespace mkmedia
