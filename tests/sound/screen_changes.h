// What screen_probe (bench/sound) saw: each change of its coarse picture of
// the show's window, with the real-time stamp of the grab that saw it.
#pragma once

#include <string>
#include <vector>

struct ScreenChange {
  double wall = 0;     // seconds, as date +%s.%N
  double changed = 0;  // share of the picture's cells that changed visibly
};

std::vector<ScreenChange> readScreenChanges(const std::string& path);

// The change within `within` seconds of `wall` that changed most of the
// picture: a scene change, not an animation's next frame. Null when none.
const ScreenChange* biggestChangeNear(const std::vector<ScreenChange>& changes, double wall, double within);
