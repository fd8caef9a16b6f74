#include "glyph_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>

namespace mkmedia {

namespace {

FT_Face asFace(void* face) { return static_cast<FT_Face>(face); }

FT_F26Dot6 to26Dot6(float pixels) { return FT_F26Dot6(std::lround(pixels * 64.0f)); }

}  // namespace

GlyphRasterizer::GlyphRasterizer(const char* fontPath) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return;
  library_ = library;
  FT_Face face = nullptr;
  if (FT_New_Face(library, fontPath, 0, &face) != 0) return;
  face_ = face;
}

GlyphRasterizer::~GlyphRasterizer() {
  if (face_) FT_Done_Face(asFace(face_));
  if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

void GlyphRasterizer::setEmSize(float emWidth, float emHeight) {
  if (!face_) return;
  FT_Set_Char_Size(asFace(face_), to26Dot6(emWidth), to26Dot6(emHeight), 72, 72);
}

bool GlyphRasterizer::hasGlyph(uint32_t codepoint) const {
  return face_ && FT_Get_Char_Index(asFace(face_), codepoint) != 0;
}

GlyphImage GlyphRasterizer::render(uint32_t codepoint, float embolden) const {
  GlyphImage glyph;
  if (!face_) return glyph;
  FT_Face face = asFace(face_);
  FT_UInt index = FT_Get_Char_Index(face, codepoint);
  if (index == 0) return glyph;
  // No hinting: the letters are resampled anyway and hinting would make the
  // stretched em uneven.
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return glyph;
  if (embolden > 0 && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_Embolden(&face->glyph->outline, to26Dot6(embolden));
  }
  if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return glyph;
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  glyph.coverage = Coverage(int(bitmap.width), int(bitmap.rows));
  for (int y = 0; y < int(bitmap.rows); ++y) {
    const unsigned char* row = bitmap.buffer + y * bitmap.pitch;
    for (int x = 0; x < int(bitmap.width); ++x) glyph.coverage.ref(x, y) = float(row[x]) / 255.0f;
  }
  glyph.left = face->glyph->bitmap_left;
  glyph.top = face->glyph->bitmap_top;
  glyph.advance = float(face->glyph->advance.x) / 64.0f;
  return glyph;
}

Coverage layoutLine(const GlyphRasterizer& font, const std::string& text, int ascent, int descent, float tracking,
                    float embolden) {
  std::vector<GlyphImage> glyphs;
  std::vector<int> pens;
  float pen = 0;
  int minX = 0, maxX = 0;
  for (unsigned char c : text) {
    GlyphImage g = font.render(c, embolden);
    int x = int(std::lround(pen)) + g.left;
    if (glyphs.empty()) minX = x;
    minX = std::min(minX, x);
    maxX = std::max(maxX, x + g.coverage.width);
    pens.push_back(int(std::lround(pen)));
    pen += g.advance + tracking;
    glyphs.push_back(std::move(g));
  }
  Coverage line(std::max(0, maxX - minX), ascent + descent);
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const GlyphImage& g = glyphs[i];
    int ox = pens[i] + g.left - minX;
    int oy = ascent - g.top;
    for (int y = 0; y < g.coverage.height; ++y) {
      for (int x = 0; x < g.coverage.width; ++x) {
        int tx = ox + x, ty = oy + y;
        if (tx < 0 || ty < 0 || tx >= line.width || ty >= line.height) continue;
        float& a = line.ref(tx, ty);
        a = std::max(a, g.coverage.at(x, y));
      }
    }
  }
  return line;
}

}  // namespace mkmedia
