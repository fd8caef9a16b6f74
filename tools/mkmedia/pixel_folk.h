// The pixel folk: little dancers built from a stick skeleton, rasterised on a
// coarse grid with a dark outline and blown up with square pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas.h"

namespace mkmedia {

// Limb angles in degrees, absolute: 0 hangs straight down, +90 points to the
// right of the picture, -90 to the left, 180 straight up.
struct Pose {
  float lean = 0;  // torso tilt, degrees
  float leftUpperArm = -15, leftForearm = -5;
  float rightUpperArm = 15, rightForearm = 5;
  float leftThigh = -8, leftShin = -4;
  float rightThigh = 8, rightShin = 4;
  float bounce = 0;  // grid pixels, positive moves the figure down
};

struct FolkLook {
  Vec3 skin{0.98f, 0.76f, 0.58f};
  Vec3 hair{0.35f, 0.18f, 0.08f};
  Vec3 shirt{0.95f, 0.2f, 0.55f};
  Vec3 pants{0.2f, 0.25f, 0.75f};
  Vec3 shoes{0.95f, 0.95f, 0.98f};
  Vec3 outline{0.12f, 0.04f, 0.16f};
};

// The dance: four poses in a loop, phase 0..1 for one round.
Pose dancePose(float phase);

// A coarse picture: `filled` marks the figure (outline included).
struct PixelSprite {
  int width = 0;
  int height = 0;
  std::vector<Vec3> colour;
  std::vector<uint8_t> filled;

  bool isFilled(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height && filled[size_t(y) * size_t(width) + size_t(x)] != 0;
  }
};

inline constexpr int kFolkGridWidth = 28;
inline constexpr int kFolkGridHeight = 34;

PixelSprite rasterizeFolk(const Pose& pose, const FolkLook& look);

// Draws each grid pixel as a scale x scale block with its top-left at
// (left, top); `bevel` lights the upper-left and shades the lower-right edge
// of each block, for a chunky, tiled look.
void drawPixelSprite(Canvas& canvas, const PixelSprite& sprite, int left, int top, int scale, bool bevel);

}  // namespace mkmedia
