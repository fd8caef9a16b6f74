// What screen_probe (bench/sound) saw: each change of its coarse picture of
// the show's window, timed between the grab that missed it and the one that
// saw it.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

// The coarse picture: the luma of every 8th pixel of every 8th row of the
// 640x480 window, one byte a cell.
inline constexpr int kProbeWidth = 640, kProbeHeight = 480, kProbeStep = 8;
inline constexpr size_t kProbeCells = (kProbeWidth / kProbeStep) * (kProbeHeight / kProbeStep);
using ProbeCells = std::bitset<kProbeCells>;

// A cell's value from a 0xRRGGBB pixel.
inline uint8_t probeLuma(uint32_t rgb) {
  return static_cast<uint8_t>((((rgb >> 16) & 0xFF) * 77 + ((rgb >> 8) & 0xFF) * 150 + (rgb & 0xFF) * 29) >> 8);
}

// The cells of two coarse pictures that differ by a luma step no
// animation's dithering or fade step makes.
ProbeCells visiblyChanged(const uint8_t* before, const uint8_t* after);

// The coarse picture, into kProbeCells `cells`, of a 640x480 picture whose
// 0xRRGGBB pixel at (x, y) is `pixelAt(x, y)`: the probe's window and the
// replayed show's frames are sampled alike.
template <typename PixelAt>
void takeProbePicture(PixelAt pixelAt, uint8_t* cells) {
  size_t c = 0;
  for (int y = kProbeStep / 2; y < kProbeHeight; y += kProbeStep) {
    for (int x = kProbeStep / 2; x < kProbeWidth; x += kProbeStep) cells[c++] = probeLuma(pixelAt(x, y));
  }
}

// The coarse picture of a frame of the show (Screen::pixels).
std::vector<uint8_t> probePicture(const uint32_t* pixels);

struct ScreenChange {
  double wall = 0;   // seconds, as date +%s.%N: amid the grabs before and at it
  ProbeCells cells;  // the cells that changed visibly
  double changed() const { return static_cast<double>(cells.count()) / kProbeCells; }
};

std::vector<ScreenChange> readScreenChanges(const std::string& path);

// The change within `within` seconds of `wall` that changed most of the
// picture: a scene change, not an animation's next frame. Null when none.
const ScreenChange* biggestChangeNear(const std::vector<ScreenChange>& changes, double wall, double within);

// The change within `within` seconds of `wall` whose changed cells are most
// like `expected` (cosine of the two sets, in `likeness`): a scene change
// that changes less of the picture than the animations beside it. Null when
// no change shares a cell with it.
const ScreenChange* likestChangeNear(const std::vector<ScreenChange>& changes, double wall, double within,
                                     const ProbeCells& expected, double* likeness);
