// Turns tick-sized pieces of a ModuleRenderer into the fixed-size buffers an
// audio device asks for. A tick's triggers are reported when the tick's first
// frame is handed out, so a counter moves in the buffer that carries the note.
#pragma once

#include <cstdint>
#include <vector>

#include "music/module_renderer.h"

// Receives every note trigger, on the thread that calls fill().
using TriggerSink = void (*)(void* user, const NoteTrigger& trigger);

class ModuleFeed {
 public:
  ModuleFeed(ModuleRenderer& renderer, TriggerSink sink, void* user);

  // Writes exactly `frames` stereo frames to `out`; silence after the end.
  void fill(int16_t* out, int frames);

 private:
  ModuleRenderer& renderer_;
  TriggerSink sink_;
  void* user_;
  std::vector<int16_t> tick_;  // the current tick, interleaved
  int tickFrames_ = 0;
  int tickOffset_ = 0;  // frames of the current tick already handed out
};
