// Turns tick-sized pieces of a ModuleRenderer into the fixed-size buffers an
// audio device asks for. A tick's triggers are reported when the tick's first
// frame is handed out, so a counter moves in the buffer that carries the note.
#pragma once

#include <cstdint>
#include <vector>

#include "music/module_renderer.h"
#include "music/music_clock.h"

// Receives every note trigger, on the thread that calls fill().
using TriggerSink = void (*)(void* user, const NoteTrigger& trigger);

class ModuleFeed {
 public:
  ModuleFeed(ModuleRenderer& renderer, TriggerSink sink, void* user);

  // Writes exactly `frames` stereo frames to `out`; silence after the end.
  void fill(int16_t* out, int frames);
  // Plays `frames` frames on without handing them out: catching up.
  void skip(int frames) { fill(nullptr, frames); }

  // Frames handed out or skipped so far, the silence after the end included.
  int64_t position() const { return position_; }

  // Writes exactly `frames` stereo frames heard from real time `heardAt`,
  // following `place` (music/music_clock.h): silence while it is stopped or
  // behind what was handed out; behind it, the music is played on unheard to
  // catch up, at most kCatchUpPerFrame frames of it per frame written, with
  // silence until the clock's place is reached. Returns how far ahead of the
  // clock the buffer is heard, in seconds (MusicClock::hear): what is being
  // nudged away; 0 once moved, caught up or waited for.
  double follow(int16_t* out, int frames, const MusicPlace& place, double heardAt);

  // libxmp renders some thousand times faster than real time here (a whole
  // show in 0.09 s), so a buffer spends a thirtieth of its own length at most
  // on catching up, and the ten seconds a suspended sink leaves behind are
  // made up in a third of a second of silence.
  static constexpr int kCatchUpPerFrame = 32;

  // How far off the clock a player may be before it is nudged, and how much
  // faster or slower it then plays at most: four frames in 2048, 0.2 %, a
  // thirtieth of a semitone, below what an ear can tell and ten times the
  // drift of a device's clock; a millisecond off is made up in a second.
  static constexpr double kNudgeFrom = 0.0005;
  static constexpr int kMostNudgePer2048 = 4;

 private:
  ModuleRenderer& renderer_;
  TriggerSink sink_;
  void* user_;
  // Plays `frames` frames made of `source` frames of the music, stretched.
  void fillStretched(int16_t* out, int frames, int source);

  std::vector<int16_t> tick_;     // the current tick, interleaved
  std::vector<int16_t> stretch_;  // the source of a nudged buffer
  int tickFrames_ = 0;
  int tickOffset_ = 0;  // frames of the current tick already handed out
  int64_t position_ = 0;
  uint64_t seenMoves_ = 0;
  // A move to the clock's place not yet reached, a step per buffer: the next
  // buffer goes on with it, whatever the tolerance.
  bool catchingUp_ = false;
};
