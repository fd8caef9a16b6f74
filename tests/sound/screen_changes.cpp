#include "screen_changes.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace {

// As screen_probe writes them: every 8th pixel of every 8th row of 640x480.
constexpr size_t kCells = 80 * 60;
// A luma step that is no animation's dithering or fade step.
constexpr int kVisible = 24;

}  // namespace

std::vector<ScreenChange> readScreenChanges(const std::string& path) {
  std::vector<ScreenChange> changes;
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> last(kCells), cells(kCells);
  int64_t at = 0;
  bool first = true;
  while (in.read(reinterpret_cast<char*>(&at), sizeof at) && in.read(reinterpret_cast<char*>(cells.data()), kCells)) {
    size_t visible = 0;
    for (size_t i = 0; i < kCells; ++i) visible += std::abs(cells[i] - last[i]) >= kVisible ? 1 : 0;
    if (!first) changes.push_back(ScreenChange{static_cast<double>(at) / 1e9, static_cast<double>(visible) / kCells});
    last = cells;
    first = false;
  }
  return changes;
}

const ScreenChange* biggestChangeNear(const std::vector<ScreenChange>& changes, double wall, double within) {
  const ScreenChange* best = nullptr;
  for (const ScreenChange& c : changes) {
    if (c.wall < wall - within || c.wall > wall + within) continue;
    if (best == nullptr || c.changed > best->changed) best = &c;
  }
  return best;
}
