#include "sprites.h"

#include <algorithm>
#include <cmath>

#include "glyph_raster.h"
#include "noise.h"
#include "pixel_folk.h"
#include "shapes.h"

namespace mkmedia {

namespace {

constexpr int kLogoWidth = 612;
constexpr int kLogoHeight = 120;
constexpr float kLogoShear = 0.22f;  // italic slant, pixels across per pixel up
constexpr int kOutline = 3;          // dark outline around the letters
constexpr int kRim = 2;              // bright rim around the outline

// 80s chrome: pale sky above a dark horizon, warm ground below.
Vec3 chrome(float t) {
  if (t < 0.52f) {
    float s = t / 0.52f;
    return mix(Vec3{1.0f, 1.0f, 1.0f}, Vec3{0.35f, 0.55f, 0.95f}, s * s);
  }
  float s = (t - 0.52f) / 0.48f;
  if (s < 0.12f) return mix(Vec3{0.12f, 0.05f, 0.25f}, Vec3{0.45f, 0.15f, 0.1f}, s / 0.12f);
  return mix(Vec3{0.55f, 0.2f, 0.08f}, Vec3{1.0f, 0.85f, 0.45f}, smoothstep(0.12f, 1.0f, s));
}

// A copper bar: a horizontal tube lit from above.
Vec3 copper(float across, Vec3 tint) {
  float h = std::sqrt(std::max(0.0f, 1.0f - across * across));
  float highlight = std::pow(std::max(0.0f, 1.0f - std::fabs(across + 0.35f) * 2.5f), 3.0f);
  return tint * (0.25f + 0.75f * h) + Vec3{1, 1, 1} * (0.6f * highlight);
}

// A four-pointed glint; returns its intensity at offset (dx, dy).
float glint(float dx, float dy, float size) {
  float ax = std::fabs(dx) / size, ay = std::fabs(dy) / size;
  return std::max(0.0f, 1.0f - (ax * 4.0f + ay) * (ay * 4.0f + ax) * 0.5f);
}

}  // namespace

MaskedSprite makeLogo() {
  const int w = kLogoWidth, h = kLogoHeight;
  GlyphRasterizer font(kSansBoldFont);
  // Letters 88 pixels tall from cap line to baseline, squeezed to fit.
  const int ascent = 100, descent = 4;
  font.setEmSize(118, 118);
  Coverage text = layoutLine(font, "PIXELFOLK", ascent, descent, 2.0f, 2.5f);
  const float room = float(w - 2 * (kOutline + kRim) - 36);
  if (float(text.width) > room) {
    font.setEmSize(118.0f * room / float(text.width), 118);
    text = layoutLine(font, "PIXELFOLK", ascent, descent, 2.0f, 2.5f);
  }
  const float capTop = float(ascent) - 86.0f;  // DejaVu caps rise 0.73 em

  // Place the slanted text in the sprite, centred.
  const int top = (h - text.height) / 2 + 2;
  const float baselineY = float(top + ascent);
  const float left = (float(w) - float(text.width)) / 2.0f + kLogoShear * float(ascent) * 0.5f;
  Coverage letters(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float sx = float(x) + 0.5f - left + kLogoShear * (baselineY - float(y) - 0.5f);
      float sy = float(y) + 0.5f - float(top);
      letters.ref(x, y) = sampleCoverage(text, sx, sy);
    }
  }
  std::vector<float> distance = distanceToShape(letters, kOutline + kRim + 1);

  MaskedSprite out{Canvas(w, h), Canvas(w, h)};
  std::vector<uint8_t> inside(size_t(w) * size_t(h), 0);
  const Vec3 barTints[] = {{1.0f, 0.55f, 0.1f}, {0.95f, 0.2f, 0.6f}, {0.2f, 0.75f, 1.0f}};
  const float barCentres[] = {34.0f, 60.0f, 86.0f};
  const float barHalf = 6.5f;

  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t i = size_t(y) * size_t(w) + size_t(x);
      const float px = float(x) + 0.5f, py = float(y) + 0.5f;
      Vec3 colour{};
      bool shown = false;
      // Copper bars behind, with rounded ends.
      for (int b = 0; b < 3; ++b) {
        float across = (py - barCentres[b]) / barHalf;
        float endDistance = std::max(0.0f, std::max(12.0f - px, px - float(w - 12)));
        float cap = std::sqrt(across * across * barHalf * barHalf + endDistance * endDistance);
        if (cap <= barHalf) {
          colour = copper(across, barTints[b]);
          shown = true;
        }
      }
      // Letters: chrome face, dark outline, bright rim.
      float d = distance[i];
      float coverage = letters.at(x, y);
      if (coverage >= 0.5f) {
        float t = clamp01((py - (float(top) + capTop)) / (baselineY - float(top) - capTop));
        colour = chrome(t);
        // A soft diagonal sheen across the whole word.
        float sheen = std::sin((px + py * 1.6f) * 0.02f);
        colour = colour + Vec3{1, 1, 1} * (0.12f * sheen * sheen * sheen);
        shown = true;
      } else if (d <= float(kOutline)) {
        colour = {0.07f, 0.02f, 0.14f};
        shown = true;
      } else if (d <= float(kOutline + kRim)) {
        float t = clamp01(py / float(h));
        colour = mix(Vec3{1.0f, 0.35f, 0.85f}, Vec3{0.35f, 0.9f, 1.0f}, t);
        shown = true;
      }
      out.sprite.at(x, y) = colour;
      inside[i] = shown ? 1 : 0;
    }
  }

  // Glints on a few letter corners.
  const Vec2 glints[] = {{118, 22}, {330, 18}, {520, 24}, {250, 92}};
  for (const Vec2& g : glints) {
    for (int y = int(g.y) - 14; y <= int(g.y) + 14; ++y) {
      for (int x = int(g.x) - 14; x <= int(g.x) + 14; ++x) {
        if (!out.sprite.contains(x, y)) continue;
        float v = glint(float(x) + 0.5f - g.x, float(y) + 0.5f - g.y, 13.0f);
        if (v <= 0) continue;
        const size_t i = size_t(y) * size_t(w) + size_t(x);
        Vec3& c = out.sprite.at(x, y);
        c = inside[i] ? mix(c, Vec3{1, 1, 1}, clamp01(v * 1.5f)) : Vec3{1, 1, 1} * (0.55f + 0.45f * v);
        inside[i] = 1;
      }
    }
  }
  out.mask = maskFrom(w, h, inside);
  return out;
}

MaskedSprite makeDanceFloor() {
  const int w = 620, h = 130;
  MaskedSprite out{Canvas(w, h), Canvas(w, h)};
  std::vector<uint8_t> inside(size_t(w) * size_t(h), 0);
  auto show = [&](int x, int y, Vec3 c) {
    if (!out.sprite.contains(x, y)) return;
    out.sprite.at(x, y) = c;
    inside[size_t(y) * size_t(w) + size_t(x)] = 1;
  };

  // The floor top: a plane seen from above and in front. Screen row y maps to
  // depth through 1/z, so the tiles shrink toward the back edge.
  const float backY = 54.0f, frontY = 112.0f;
  const float backHalf = 226.0f, frontHalf = 302.0f;
  const float zBack = 1.0f / backHalf, zFront = 1.0f / frontHalf;
  auto across = [&](float x, float y) {  // -1..1 over the floor's width at row y
    float invZ = mix(zBack, zFront, (y - backY) / (frontY - backY));
    return (x - float(w) / 2.0f) * invZ;
  };
  auto tileColour = [&](float x, float y) {
    const int columns = 12, rows = 4;
    const Vec3 palette[] = {{1.0f, 0.2f, 0.6f},   {0.2f, 0.8f, 1.0f}, {1.0f, 0.85f, 0.2f},
                            {0.45f, 1.0f, 0.35f}, {0.7f, 0.3f, 1.0f}, {1.0f, 0.45f, 0.15f}};
    float t = (y - backY) / (frontY - backY);
    float invZ = mix(zBack, zFront, t);                                            // rows are linear in 1/z ...
    float depth = (1.0f / invZ - 1.0f / zFront) / (1.0f / zBack - 1.0f / zFront);  // ... depth is not
    float cu = (std::clamp(across(x, y), -1.0f, 1.0f) + 1.0f) * 0.5f * float(columns);
    float cv = (1.0f - depth) * float(rows);
    int tu = std::min(columns - 1, int(cu)), tv = std::min(rows - 1, int(cv));
    float fu = cu - float(tu) - 0.5f, fv = cv - float(tv) - 0.5f;
    if (std::max(std::fabs(fu), std::fabs(fv)) > 0.45f) return Vec3{0.05f, 0.02f, 0.1f};  // grout
    Vec3 tile = palette[hash2(tu, tv, 7) % 6];
    bool lit = hash2(tu, tv, 19) % 5 < 2;
    // Lit tiles glow from a hot centre; the others glow faintly.
    float glow = 1.0f - smoothstep(0.0f, 0.65f, std::sqrt(fu * fu + fv * fv));
    Vec3 c = lit ? tile * (0.55f + 0.45f * glow) + Vec3{1, 1, 1} * (0.5f * glow * glow * glow)
                 : tile * (0.24f + 0.16f * glow);
    return c * (0.8f + 0.2f * t);  // far tiles a little in shade
  };
  for (int y = int(backY); y < int(frontY); ++y) {
    for (int x = 0; x < w; ++x) {
      // The mask follows pixel centres; the colour averages 3 x 3 samples.
      if (std::fabs(across(float(x) + 0.5f, float(y) + 0.5f)) > 1.0f) continue;
      Vec3 sum{};
      for (int sy = 0; sy < 3; ++sy) {
        for (int sx = 0; sx < 3; ++sx)
          sum += tileColour(float(x) + (float(sx) + 0.5f) / 3.0f, float(y) + (float(sy) + 0.5f) / 3.0f);
      }
      show(x, y, sum * (1.0f / 9.0f));
    }
  }
  // Front face of the stage: a brushed chrome band with a row of bulbs.
  const int bandTop = int(frontY), bandBottom = h - 2;
  const float bulbY = float(bandTop + bandBottom) * 0.5f + 0.5f;
  const Vec3 bulbColours[] = {{1.0f, 0.95f, 0.7f}, {1.0f, 0.35f, 0.75f}, {0.35f, 0.9f, 1.0f}};
  for (int y = bandTop; y < bandBottom; ++y) {
    float s = (float(y) - frontY) / float(bandBottom - bandTop);
    for (int x = int(float(w) / 2.0f - frontHalf); x < int(float(w) / 2.0f + frontHalf); ++x) {
      float grain = 0.06f * (hashFloat(x / 3, 0, 5) - 0.5f);
      Vec3 c = mix(Vec3{0.75f, 0.8f, 0.92f}, Vec3{0.2f, 0.22f, 0.35f}, s) + Vec3{grain, grain, grain};
      if (y == bandTop) c = {1, 1, 1};
      float bulbX = std::round((float(x) + 0.5f - 10.0f) / 20.0f) * 20.0f + 10.0f;
      float d = std::sqrt((float(x) + 0.5f - bulbX) * (float(x) + 0.5f - bulbX) +
                          (float(y) + 0.5f - bulbY) * (float(y) + 0.5f - bulbY));
      Vec3 bulb = bulbColours[size_t(std::abs(int(bulbX / 20.0f))) % 3];
      c = mix(c, bulb * 0.6f, clamp01(1.0f - (d - 3.0f) / 4.0f) * 0.6f);  // halo
      if (d < 3.2f) c = mix(bulb, {1, 1, 1}, clamp01(1.0f - d / 2.0f));
      show(x, y, c);
    }
  }

  // Four pixel folk dancing on the back corners, clear of the middle picture.
  const FolkLook looks[] = {
      {.shirt = {0.2f, 0.85f, 1.0f}, .pants = {0.15f, 0.15f, 0.45f}},
      {.hair = {0.95f, 0.8f, 0.3f}, .shirt = {1.0f, 0.85f, 0.2f}, .pants = {0.6f, 0.15f, 0.5f}},
      {.skin = {0.7f, 0.45f, 0.3f}, .hair = {0.1f, 0.06f, 0.05f}, .shirt = {0.45f, 1.0f, 0.4f}},
      {.hair = {0.8f, 0.25f, 0.1f}, .shirt = {0.75f, 0.35f, 1.0f}, .pants = {0.2f, 0.2f, 0.25f}},
  };
  const int standX[] = {48, 118, 448, 518};
  const float phases[] = {0.0f, 0.27f, 0.52f, 0.78f};
  for (int i = 0; i < 4; ++i) {
    PixelSprite folk = rasterizeFolk(dancePose(phases[i]), looks[i]);
    int left = standX[i], top = 72 - kFolkGridHeight * 2 + 2;
    for (int y = 0; y < folk.height; ++y) {
      for (int x = 0; x < folk.width; ++x) {
        if (!folk.isFilled(x, y)) continue;
        Vec3 c = folk.colour[size_t(y) * size_t(folk.width) + size_t(x)];
        for (int b = 0; b < 4; ++b) show(left + x * 2 + b % 2, top + y * 2 + b / 2, c);
      }
    }
  }
  out.mask = maskFrom(w, h, inside);
  return out;
}

}  // namespace mkmedia
