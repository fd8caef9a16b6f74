// The bitmap font sheet: 16 x 8 cells of 32 x 32 pixels, cell k holding the
// glyph of character code 32 + k, bright strokes on black.
#pragma once

#include "canvas.h"

namespace mkmedia {

inline constexpr int kFontCell = 32;
inline constexpr int kFontColumns = 16;
inline constexpr int kFontRows = 8;
// Strokes stay this many pixels clear of every cell edge, so that glyphs
// typed side by side never touch.
inline constexpr int kFontMargin = 1;

Canvas makeFontSheet();

}  // namespace mkmedia
