// Where the music should be at any real time, as the show's clock has it:
// published by the transport (app/transport.h) on the main thread, read by
// the audio callback on the audio thread. The clock is the master: a player
// hands out the music for the moment its buffer will be heard, and when what
// it plays has drifted from that (an underrun, a stalled, suspended or
// reopened device) it moves to the clock's place; a drift too small to move
// for (a sound card's clock against the computer's) it plays away a hair
// faster or slower (music/module_feed.h). The player says back how far off
// the clock it is heard, for the counts to follow the sound meanwhile.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

// Drift a player lets pass before it moves to the clock's place, at least:
// a callback's heard time is only as steady as the output makes it. Where it
// comes with the pulls, which come in bursts on a busy machine (a page), a
// player also lets two of its buffers pass (followClock); without that, every
// late pull moved the music on and the early one after it waited in silence:
// gaps in the sound, not the device's. A desktop's output takes it from the
// device's history: an underrun's shift is then corrected once past this.
inline constexpr double kMusicDriftTolerance = 0.020;

struct MusicPlace {
  bool running = false;
  double musicTime = 0.0;  // at realTime while running; where it stopped otherwise
  double realTime = 0.0;
  uint64_t jumps = 0;   // raised by every seek: a player then moves there at once, however near
  uint64_t starts = 0;  // raised whenever the music goes from held to running, which moves a player too

  // Music time at real time `real` (negative before the music starts).
  double at(double real) const { return running ? musicTime + (real - realTime) : musicTime; }
};

class MusicClock {
 public:
  // Running from `musicTime` at real time `realTime`; `jump` for a seek.
  void run(double musicTime, double realTime, bool jump);
  // Held at `musicTime`.
  void stop(double musicTime, bool jump);
  MusicPlace place() const;

  // How far ahead of the clock's place the music is heard now, in seconds
  // (behind when negative), as its player last found it: within the drift
  // it lets pass, a player is nudged back over seconds rather than moved (a
  // gap's late buffer, whose wait is guessed, leaves up to some 20 ms), and
  // a note's picture should come with the note heard meanwhile. Set by the
  // audio callback; 0 again whenever the place moves, as the player then
  // moves there too.
  void hear(double ahead) { heardAhead_.store(ahead, std::memory_order_relaxed); }
  double heardAhead() const { return heardAhead_.load(std::memory_order_relaxed); }

 private:
  mutable std::mutex mutex_;
  MusicPlace place_;
  std::atomic<double> heardAhead_{0.0};
};

// Real seconds on the counter the show's timer reads (app/precision_timer.h):
// the audio callback's "now".
double musicRealTime();

// What moves a player to the clock's place at once, however near it is: the
// place's jumps and starts, and the output's fresh starts. A player that keeps
// the last count it saw, less one, moves at its next buffer.
uint64_t placeMoves(const MusicPlace& place);

// How a player that has handed out its music up to frame `position` meets
// the clock with a buffer heard from `heardAt`: it goes on from `position`
// after `silence` frames of silence. A move since `seenMoves` (placeMoves,
// updated here)
// or a player behind by more than the tolerance moves to the clock's frame;
// a player ahead by more waits in silence rather than play a stretch twice.
// `bufferFrames` is the size of the buffer being filled; the tolerance grows
// with it as the output's heard time wanders (platform/audio_latency.h).
// Within the tolerance, where the output's heard time keeps still, `ahead`
// says how far the player is ahead of the clock (behind when negative), for
// it to play a hair slower or faster until it is on the clock again: a sound
// device's clock runs some hundred parts per million off the computer's.
struct Followed {
  int64_t position = 0;
  int64_t silence = 0;
  int64_t ahead = 0;
};
Followed followClock(const MusicPlace& place, double heardAt, int rate, int bufferFrames, int64_t position,
                     uint64_t* seenMoves);
