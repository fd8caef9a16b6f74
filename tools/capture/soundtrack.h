// The whole soundtrack rendered offline: its samples and the music time of
// every counted note, from the same renderer and trigger rule the live
// player uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Soundtrack {
  int rate = 44100;
  std::vector<int16_t> samples;        // interleaved stereo, the module played once
  std::vector<int64_t> instrument1At;  // first sample frame of each trigger's tick, in order
  std::vector<int64_t> instrument4At;

  int64_t frames() const { return static_cast<int64_t>(samples.size() / 2); }
  // Triggers whose tick started at or before music sample frame `frame`.
  static int32_t hitsUpTo(const std::vector<int64_t>& at, int64_t frame);
};

// Renders `path` at `rate`. A module that does not load gives an empty
// soundtrack (no samples, no triggers) and the reason in `error`.
Soundtrack renderSoundtrack(const char* path, int rate, std::string* error);
