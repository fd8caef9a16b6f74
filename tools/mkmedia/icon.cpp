#include "icon.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "canvas.h"
#include "pixel_folk.h"
#include "png_file.h"

namespace mkmedia {

namespace {

// The dancer as in the middle of the opening's pixel dancer picture.
const FolkLook kLead{.shirt = {1.0f, 0.25f, 0.55f}, .pants = {0.2f, 0.3f, 0.85f}};

struct Box {
  int left = 0, top = 0, right = -1, bottom = -1;
};

Box filledBox(const PixelSprite& sprite) {
  Box box{sprite.width, sprite.height, -1, -1};
  for (int y = 0; y < sprite.height; ++y) {
    for (int x = 0; x < sprite.width; ++x) {
      if (!sprite.isFilled(x, y)) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

// Distance from the rounded tile's edge, negative inside; pixel units.
float tileDistance(float x, float y, float size, float radius) {
  const float half = size * 0.5f;
  const float qx = std::fabs(x - half) - (half - radius);
  const float qy = std::fabs(y - half) - (half - radius);
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

}  // namespace

IconImage makeIcon(int size) {
  const float s = float(size);
  const float margin = std::max(1.0f, s / 32.0f);
  const float radius = s * 0.2f;
  const float tileSize = s - 2 * margin;

  // Dusk: deep violet above, a warm magenta glow low in the middle, and a
  // neon rim just inside the edge.
  Canvas art = renderSupersampled(size, size, 4, [&](float x, float y) {
    const float t = y / s;
    Vec3 colour = mix(Vec3{0.08f, 0.03f, 0.2f}, Vec3{0.42f, 0.06f, 0.4f}, t);
    const float glow =
        std::exp(-(std::pow((x - s * 0.5f) / (s * 0.35f), 2.0f) + std::pow((y - s * 0.78f) / (s * 0.2f), 2.0f)));
    colour = colour + Vec3{1.0f, 0.45f, 0.3f} * (0.55f * glow);
    const float d = tileDistance(x - margin, y - margin, tileSize, radius);
    const float rim = std::exp(-std::pow((d + margin * 1.5f) / (margin * 0.9f), 2.0f));
    return mix(colour, Vec3{0.3f, 0.95f, 1.0f}, 0.85f * rim);
  });

  // The largest whole-number scale that leaves a border of about a tenth.
  const PixelSprite folk = rasterizeFolk(dancePose(0.0f), kLead);
  const Box box = filledBox(folk);
  const int boxWidth = box.right - box.left + 1, boxHeight = box.bottom - box.top + 1;
  const int scale = std::max(1, int(s * 0.78f) / std::max(boxWidth, boxHeight));
  const int left = (size - boxWidth * scale) / 2 - box.left * scale;
  const int top = (size - boxHeight * scale) / 2 - box.top * scale;
  drawPixelSprite(art, folk, left, top, scale, true);

  IconImage icon;
  icon.size = size;
  icon.rgba.reserve(size_t(size) * size_t(size) * 4);
  const std::vector<uint8_t> rgb = toRgbBytes(art);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      // Coverage of the tile by 4 x 4 samples, for a smooth edge.
      int inside = 0;
      for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
          const float px = float(x) + (float(sx) + 0.5f) / 4.0f - margin;
          const float py = float(y) + (float(sy) + 0.5f) / 4.0f - margin;
          inside += tileDistance(px, py, tileSize, radius) <= 0.0f ? 1 : 0;
        }
      }
      const size_t at = (size_t(y) * size_t(size) + size_t(x)) * 3;
      icon.rgba.insert(icon.rgba.end(), {rgb[at], rgb[at + 1], rgb[at + 2], uint8_t((inside * 255 + 8) / 16)});
    }
  }
  return icon;
}

bool writeIcons(const std::string& dir, std::span<const int> sizes) {
  bool ok = true;
  for (const int size : sizes) {
    const IconImage icon = makeIcon(size);
    const std::string path = dir + "/icon-" + std::to_string(size) + ".png";
    if (!writePngRgba(path, size, size, icon.rgba.data())) {
      std::fprintf(stderr, "mkmedia: cannot write %s\n", path.c_str());
      ok = false;
    }
  }
  return ok;
}

}  // namespace mkmedia
