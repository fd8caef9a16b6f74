#include "screen_changes.h"

#include <cmath>
#include <cstdlib>
#include <fstream>

namespace {

constexpr int kVisible = 24;

}  // namespace

ProbeCells visiblyChanged(const uint8_t* before, const uint8_t* after) {
  ProbeCells cells;
  for (size_t i = 0; i < kProbeCells; ++i) cells[i] = std::abs(after[i] - before[i]) >= kVisible;
  return cells;
}

std::vector<uint8_t> probePicture(const uint32_t* pixels) {
  std::vector<uint8_t> cells(kProbeCells);
  takeProbePicture([&](int x, int y) { return pixels[y * kProbeWidth + x]; }, cells.data());
  return cells;
}

std::vector<ScreenChange> readScreenChanges(const std::string& path) {
  std::vector<ScreenChange> changes;
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> last(kProbeCells), cells(kProbeCells);
  int64_t since = 0, seen = 0;
  bool first = true;
  while (in.read(reinterpret_cast<char*>(&since), sizeof since) &&
         in.read(reinterpret_cast<char*>(&seen), sizeof seen) &&
         in.read(reinterpret_cast<char*>(cells.data()), kProbeCells)) {
    // Between the grab that missed it and the one that saw it: the midpoint
    // is off by half the probe's period at most.
    const double wall = static_cast<double>(since) / 1e9 + static_cast<double>(seen - since) / 2e9;
    if (!first) changes.push_back(ScreenChange{wall, visiblyChanged(last.data(), cells.data())});
    last.swap(cells);
    first = false;
  }
  return changes;
}

const ScreenChange* biggestChangeNear(const std::vector<ScreenChange>& changes, double wall, double within) {
  const ScreenChange* best = nullptr;
  for (const ScreenChange& c : changes) {
    if (c.wall < wall - within || c.wall > wall + within) continue;
    if (best == nullptr || c.cells.count() > best->cells.count()) best = &c;
  }
  return best;
}

const ScreenChange* likestChangeNear(const std::vector<ScreenChange>& changes, double wall, double within,
                                     const ProbeCells& expected, double* likeness) {
  const ScreenChange* best = nullptr;
  *likeness = 0;
  for (const ScreenChange& c : changes) {
    if (c.wall < wall - within || c.wall > wall + within) continue;
    const double shared = static_cast<double>((c.cells & expected).count());
    const double cosine = shared / std::sqrt(static_cast<double>(c.cells.count() * expected.count()));
    if (shared > 0 && cosine > *likeness) {
      *likeness = cosine;
      best = &c;
    }
  }
  return best;
}
