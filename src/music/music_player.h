// The plain show's soundtrack: the module played by libxmp, one tick at a
// time, inside the audio callback, where the show's music clock says
// (music/music_clock.h). Its notes are found once, offline, when it loads:
// the show reads the counts from them at the clock's time (app/transport.h),
// never from the sound.
#pragma once

#include <atomic>
#include <cstdint>

#include "music/music_clock.h"
#include "music/trigger_timeline.h"
#include "platform/audio_output.h"

class ModuleFeed;
class ModuleRenderer;

// What MusicPlayer::open and play are told to play.
inline constexpr uint8_t kMusicStream = 0;  // not supported here: loads nothing, plays nothing
inline constexpr uint8_t kMusicModule = 1;  // a tracker module, its notes counted

// Frames per audio callback: about 46 ms at 44100 Hz, so that a busy desktop
// does not run the device dry (docs/sound.md); the music follows the clock
// for the moment each buffer is heard, so the larger buffer moves no note.
inline constexpr int kMusicBufferFrames = 2048;

// Starts the sound output at `rate` Hz with `fill` as its callback; without a
// sound device it runs silently (one line on stderr says why). When not even
// the silent output starts, the program ends with a message and exit code 1.
// Returns the output's handle.
int startMusicOutput(int rate, platform::AudioFill fill, void* user);

class MusicPlayer {
 public:
  const char* fileName = nullptr;  // not copied: must outlive the player
  void* stream = nullptr;          // kind 0's handle; stays empty
  ModuleRenderer* song = nullptr;  // kind 1's module, empty if it did not load

  MusicPlayer() = default;
  MusicPlayer(const MusicPlayer&) = delete;
  MusicPlayer& operator=(const MusicPlayer&) = delete;
  // The show never destroys its player; tests do, which stops the output.
  ~MusicPlayer();

  // Starts the sound output at `rate` Hz and loads the file. Without a sound
  // device the output runs silently (one line on stderr says why). A file
  // that does not load, or lacks some of its samples, is named on stderr
  // (music/module_report.h); without a module the player stays silent.
  // If the module player itself cannot be created, the program ends with
  // exit code 1. `channels` is the voice budget; libxmp takes as many voices
  // as the module needs, so no module is refused for it. A loaded module is
  // played through once offline for its notes (timeline()).
  MusicPlayer& open(const char* fileName, uint8_t kind, int rate, int channels);

  // Plays the loaded module once, from its start, where clock() says: it is
  // silent until the clock runs. Without a module it does nothing.
  void play(uint8_t kind);

  // Every note of the module loaded, none without one.
  const TriggerTimeline& timeline() const { return timeline_; }
  // Where the music should be; the show's transport sets it.
  MusicClock& clock() { return clock_; }
  // The frames of the module handed out or skipped so far.
  int64_t position() const { return position_.load(std::memory_order_relaxed); }

 private:
  static void fillOutput(void* player, int16_t* frames, int frameCount);

  int output_ = 0;
  std::atomic<ModuleFeed*> feed_{nullptr};  // published by play, read by the audio thread
  MusicClock clock_;
  TriggerTimeline timeline_;
  std::atomic<int64_t> position_{0};
};
