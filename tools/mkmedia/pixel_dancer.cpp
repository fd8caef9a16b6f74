#include <cmath>

#include "glyph_raster.h"
#include "keyed.h"
#include "middle_pictures.h"
#include "pixel_folk.h"

namespace mkmedia {

namespace {

// A musical note from the font, drawn as chunky pixels of `block` size.
void drawNote(Canvas& canvas, const GlyphRasterizer& font, uint32_t codepoint, int left, int top, int block,
              Vec3 colour) {
  GlyphImage g = font.render(codepoint, 0.8f);
  for (int y = 0; y < g.coverage.height; ++y) {
    for (int x = 0; x < g.coverage.width; ++x) {
      if (g.coverage.at(x, y) < 0.5f) continue;
      for (int by = 0; by < block; ++by) {
        for (int bx = 0; bx < block; ++bx) {
          int px = left + x * block + bx, py = top + y * block + by;
          if (canvas.contains(px, py)) canvas.at(px, py) = (bx == 0 || by == 0) ? mix(colour, {1, 1, 1}, 0.3f) : colour;
        }
      }
    }
  }
}

}  // namespace

Canvas makePixelDancer() {
  Canvas canvas(kMiddleWidth, kMiddleHeight);
  const FolkLook left{.hair = {0.95f, 0.8f, 0.3f}, .shirt = {0.2f, 0.85f, 1.0f}, .pants = {0.55f, 0.15f, 0.55f}};
  const FolkLook centre{.shirt = {1.0f, 0.25f, 0.55f}, .pants = {0.2f, 0.3f, 0.85f}};
  const FolkLook right{.skin = {0.7f, 0.45f, 0.3f},
                       .hair = {0.1f, 0.06f, 0.05f},
                       .shirt = {1.0f, 0.85f, 0.2f},
                       .pants = {0.25f, 0.6f, 0.3f}};
  // Backing dancers first, the lead in front and larger.
  drawPixelSprite(canvas, rasterizeFolk(dancePose(0.25f), left), 8, 104, 3, false);
  drawPixelSprite(canvas, rasterizeFolk(dancePose(0.5f), right), kMiddleWidth - 8 - 3 * kFolkGridWidth, 104, 3, false);
  drawPixelSprite(canvas, rasterizeFolk(dancePose(0.0f), centre), (kMiddleWidth - 6 * kFolkGridWidth) / 2, 8, 6, true);

  GlyphRasterizer font(kSansBoldFont);
  font.setEmSize(14, 14);
  drawNote(canvas, font, 0x266B, 14, 12, 3, {1.0f, 0.9f, 0.3f});
  drawNote(canvas, font, 0x266A, 232, 20, 3, {0.4f, 1.0f, 0.6f});
  font.setEmSize(10, 10);
  drawNote(canvas, font, 0x266A, 70, 58, 3, {0.6f, 0.6f, 1.0f});
  drawNote(canvas, font, 0x266B, 254, 72, 2, {1.0f, 0.45f, 0.8f});
  finishKeyed(canvas);
  return canvas;
}

}  // namespace mkmedia
