// The rendering core of the soundtrack: loads a module with libxmp and plays
// it one tick at a time into the caller's buffer as 16-bit stereo, telling
// for each tick which notes started on it. The live player runs it inside
// the audio callback; tools and tests run it offline, with no audio device.
//
// Timing: a tick's notes start on the tick's first frame. With `firstFrame`
// the position of that frame in the music (frames from the module's start),
// a trigger happened at music time firstFrame / rate seconds; the count of
// triggers up to any music time t is the sum over the ticks with
// firstFrame <= t * rate.
//
// The module plays once: when libxmp would start it over, the renderer ends
// (renderTick reports zero frames and no triggers from then on).
#pragma once

#include <xmp.h>

#include <cstddef>
#include <cstdint>

#include "music/module_extent.h"
#include "music/note_triggers.h"

struct RenderedTick {
  int frames = 0;          // stereo frames written; 0 once the module has ended
  int64_t firstFrame = 0;  // the tick's first frame, counted from the module's start
  int triggerCount = 0;
  NoteTrigger triggers[kMaxTriggersPerTick];  // in channel order
};

class ModuleRenderer {
 public:
  ModuleRenderer();
  ~ModuleRenderer();
  ModuleRenderer(const ModuleRenderer&) = delete;
  ModuleRenderer& operator=(const ModuleRenderer&) = delete;

  // False when libxmp could not create its player; nothing can load then.
  bool hasPlayer() const { return context_ != nullptr; }

  // Load a module and make it ready to play from its start at `rate` Hz.
  // On failure the renderer holds no module and failure() says why. Only a
  // regular file is read: a directory, FIFO or device is refused.
  bool loadFile(const char* path, int rate);
  bool loadMemory(const void* data, size_t size, int rate);
  const char* failure() const { return failure_; }
  // Samples of the loaded module emptied before it played, since the player
  // would write through their missing data (music/module_check.h).
  int silencedSamples() const { return silencedSamples_; }
  // What of the loaded module's announced sample data its file lacks.
  const ModuleExtent& extent() const { return extent_; }

  bool loaded() const { return loaded_; }
  bool ended() const { return ended_; }
  int rate() const { return rate_; }
  int instrumentCount() const;

  // The largest tick any module can have at this rate: a buffer with room
  // for this many frames takes every tick.
  int maxTickFrames() const { return maxTickFrames(rate_); }
  static int maxTickFrames(int rate);

  // Plays the next tick into `out` (interleaved left/right, room for
  // `capacityFrames` frames). Returns false and writes nothing when no
  // module is loaded or the buffer is smaller than maxTickFrames(); after
  // the end it returns true with an empty tick.
  bool renderTick(int16_t* out, int capacityFrames, RenderedTick* tick);

  int64_t framesRendered() const { return framesRendered_; }

 private:
  bool start(int loadResult, int rate);
  void unload();
  void setFailure(const char* text);

  xmp_context context_ = nullptr;
  bool loaded_ = false;
  bool ended_ = false;
  int rate_ = 44100;
  int64_t framesRendered_ = 0;
  int silencedSamples_ = 0;
  ModuleExtent extent_;
  TriggerTracker tracker_;
  char failure_[160] = "";
};
