// Outline fonts rendered to coverage maps with FreeType, for the font sheet and
// the lettering in the logos.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkmedia {

// A grey coverage map (0 = empty, 1 = fully inside the outline).
struct Coverage {
  int width = 0;
  int height = 0;
  std::vector<float> alpha;

  Coverage() = default;
  Coverage(int w, int h) : width(w), height(h), alpha(size_t(w) * size_t(h), 0.0f) {}
  float at(int x, int y) const {
    return (x < 0 || y < 0 || x >= width || y >= height) ? 0.0f : alpha[size_t(y) * size_t(width) + size_t(x)];
  }
  float& ref(int x, int y) { return alpha[size_t(y) * size_t(width) + size_t(x)]; }
};

struct GlyphImage {
  Coverage coverage;
  int left = 0;       // from the pen position to the first column
  int top = 0;        // from the baseline up to the first row
  float advance = 0;  // pen movement in pixels
};

// Dejavu faces shipped by fonts-dejavu-core.
inline constexpr const char* kMonoBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
inline constexpr const char* kSansBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

class GlyphRasterizer {
 public:
  explicit GlyphRasterizer(const char* fontPath);
  ~GlyphRasterizer();
  GlyphRasterizer(const GlyphRasterizer&) = delete;
  GlyphRasterizer& operator=(const GlyphRasterizer&) = delete;

  bool ok() const { return face_ != nullptr; }
  // Em size in pixels; a wider than tall em stretches the letters sideways.
  void setEmSize(float emWidth, float emHeight);
  bool hasGlyph(uint32_t codepoint) const;
  // Renders one character; `embolden` thickens the strokes by that many pixels.
  // An absent glyph gives an empty coverage.
  GlyphImage render(uint32_t codepoint, float embolden = 0) const;

 private:
  void* library_ = nullptr;  // FT_Library
  void* face_ = nullptr;     // FT_Face
};

// Sets ASCII `text` on one line; the baseline lies `ascent` rows below the top
// of the returned map, which is as tall as `ascent + descent` and as wide as
// the text. `tracking` adds pixels between letters.
Coverage layoutLine(const GlyphRasterizer& font, const std::string& text, int ascent, int descent, float tracking,
                    float embolden);

}  // namespace mkmedia
