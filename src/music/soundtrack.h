// The module rendered offline once: its samples and the time of every note,
// for every run that can start anywhere or seek.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "music/trigger_timeline.h"

struct Soundtrack {
  TriggerTimeline timeline;
  std::vector<int16_t> samples;  // the module played once, interleaved stereo
};

// Renders the module offline at `rate`. On failure returns false and says
// why in `message`, as the show says it on standard error.
bool loadSoundtrack(const char* path, int rate, Soundtrack* soundtrack, std::string* message);
