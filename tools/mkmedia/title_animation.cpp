#include <cmath>

#include "animations.h"
#include "pixel_folk.h"

namespace mkmedia {

namespace {

constexpr float kTunnelRepeats = 10.0f;  // texture repeats around the tunnel

// Neon tunnel. `loop` runs 0..1 over the animation; the texture moves by
// whole periods per loop, so the last frame leads straight into the first.
Vec3 tunnel(float x, float y, float loop) {
  float dx = x - kTitleWidth * 0.5f, dy = (y - kTitleHeight * 0.5f) * 1.15f;
  float r = std::sqrt(dx * dx + dy * dy) + 1e-3f;
  float around = std::atan2(dy, dx) / kTau * kTunnelRepeats + loop * 2.0f;  // two cells of twist per loop
  float depth = 260.0f / r + loop * 4.0f;                                   // four rings fly past per loop
  float fu = fract(around), fv = fract(depth);
  // Thin neon seams between checkered panels; the seams sharpen with distance.
  float width = std::clamp(r / 900.0f, 0.015f, 0.1f);
  float seam = std::max(1.0f - smoothstep(0.0f, width, std::min(fu, 1.0f - fu)),
                        1.0f - smoothstep(0.0f, width * 1.6f, std::min(fv, 1.0f - fv)));
  float ring = std::floor(depth);
  bool lightPanel = (int(std::floor(around)) + int(ring)) % 2 == 0;
  // Four ring colours: the rings advance by four per loop, so colours and the
  // panel checker (twist and rings both move by even counts) come back in step.
  Vec3 hue =
      cosinePalette(ring * 0.25f + 0.1f, {0.55f, 0.45f, 0.6f}, {0.45f, 0.45f, 0.4f}, {1, 1, 1}, {0.0f, 0.3f, 0.6f});
  float fog = smoothstep(10.0f, 170.0f, r);  // the far end melts into darkness
  Vec3 colour = hue * ((lightPanel ? 0.32f : 0.1f) + 1.0f * seam) * fog;
  // A faint dark vignette at the frame edge keeps attention in the middle.
  float edge = std::min({x, y, float(kTitleWidth) - x, float(kTitleHeight) - y});
  return colour * (0.6f + 0.4f * smoothstep(0.0f, 30.0f, edge));
}

void drawFrameBorder(Canvas& canvas, float loop) {
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      int edge = std::min({x, y, canvas.width - 1 - x, canvas.height - 1 - y});
      if (edge > 2) continue;
      // A light chases around the border once per loop.
      float perimeterPos = (y == 0 || y == canvas.height - 1) ? float(x) : float(y) * 2.0f;
      float chase = 0.5f + 0.5f * std::cos(kTau * (perimeterPos / 240.0f - loop * 2.0f));
      Vec3 c = mix(Vec3{0.9f, 0.2f, 0.7f}, Vec3{0.3f, 0.9f, 1.0f}, chase);
      canvas.at(x, y) = edge == 1 ? c : c * 0.45f;
    }
  }
}

// A soft dark pool under a dancer's feet, so they stand on something.
void addShadow(Canvas& canvas, float cx, float cy, float rx, float ry) {
  for (int y = int(cy - ry); y <= int(cy + ry); ++y) {
    for (int x = int(cx - rx); x <= int(cx + rx); ++x) {
      if (!canvas.contains(x, y)) continue;
      float u = (float(x) - cx) / rx, v = (float(y) - cy) / ry;
      float d = u * u + v * v;
      if (d < 1.0f) canvas.at(x, y) = canvas.at(x, y) * (0.25f + 0.75f * d);
    }
  }
}

}  // namespace

Canvas renderTitleAt(float loop) {
  Canvas canvas =
      renderSupersampled(kTitleWidth, kTitleHeight, 2, [&](float x, float y) { return tunnel(x, y, loop); });

  const FolkLook lead{.shirt = {1.0f, 0.25f, 0.55f}, .pants = {0.2f, 0.3f, 0.85f}};
  const FolkLook left{.hair = {0.95f, 0.8f, 0.3f}, .shirt = {0.2f, 0.85f, 1.0f}, .pants = {0.55f, 0.15f, 0.55f}};
  const FolkLook right{.skin = {0.7f, 0.45f, 0.3f},
                       .hair = {0.1f, 0.06f, 0.05f},
                       .shirt = {1.0f, 0.85f, 0.2f},
                       .pants = {0.25f, 0.6f, 0.3f}};
  // The backing pair dance a quarter of the routine behind the lead.
  const int small = 3, big = 5;
  const int smallTop = kTitleHeight - 8 - kFolkGridHeight * small;
  const int bigTop = kTitleHeight - 6 - kFolkGridHeight * big;
  addShadow(canvas, 95.0f, float(kTitleHeight - 14), 40.0f, 7.0f);
  addShadow(canvas, kTitleWidth - 95.0f, float(kTitleHeight - 14), 40.0f, 7.0f);
  addShadow(canvas, kTitleWidth * 0.5f, float(kTitleHeight - 12), 62.0f, 9.0f);
  drawPixelSprite(canvas, rasterizeFolk(dancePose(loop - 0.25f), left), 95 - kFolkGridWidth * small / 2, smallTop,
                  small, false);
  drawPixelSprite(canvas, rasterizeFolk(dancePose(loop + 0.25f), right), kTitleWidth - 95 - kFolkGridWidth * small / 2,
                  smallTop, small, false);
  drawPixelSprite(canvas, rasterizeFolk(dancePose(loop), lead), (kTitleWidth - kFolkGridWidth * big) / 2, bigTop, big,
                  true);
  drawFrameBorder(canvas, loop);
  return canvas;
}

Canvas renderTitleFrame(int frame) {
  return renderTitleAt(float((frame % kTitleFrames + kTitleFrames) % kTitleFrames) / float(kTitleFrames));
}

}  // namespace mkmedia
