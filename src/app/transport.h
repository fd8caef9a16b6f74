// The one owner of where the show is: its time, whether it plays, its loop,
// the music's place and the note counts. The host hooks of a sync tracker's
// client (pause, set position, is playing), with the time from one source,
// the real clock: the music follows it (music/music_clock.h) and the counts
// are those of the music time at the show time of the frame, whatever the
// sound device does, give or take the few milliseconds a player heard off
// the clock is being nudged back.
#pragma once

#include <functional>

#include "music/music_clock.h"
#include "music/trigger_index.h"

struct TriggerTimeline;

class Transport {
 public:
  // `now` reads the real clock in seconds, the one the audio callback reads
  // (musicRealTime), or a fake one; without it the time moves only when set.
  // `music` is the clock the sound follows, or null without sound.
  // `musicStart` is the show time at which the music starts.
  Transport(const TriggerTimeline& timeline, std::function<double()> now = {}, MusicClock* music = nullptr,
            double musicStart = 0.0);

  // The show time runs on from where it stands, or holds at `heldAt` (the
  // frame on screen).
  void play();
  void pause(double heldAt);
  bool isPlaying() const { return playing_; }
  // A seek: the show time and the music are at `showTime` from now on.
  void setPosition(double showTime);
  // The show time now.
  double time() const;

  // The stretch a rehearsal plays over and over: [start, end) of show time.
  void setLoop(double start, double end, const char* name);
  void clearLoop() { looping_ = false; }
  bool looping() const { return looping_; }
  double loopStart() const { return loopStart_; }
  double loopEnd() const { return loopEnd_; }
  const char* loopName() const { return looping_ ? loopName_ : ""; }

  // A reloaded module's notes.
  void useTimeline(const TriggerTimeline& timeline);
  // Sets showState's instrument1Hits and instrument4Hits to the notes the
  // music has played by show time `showTime`, as heard while it plays: the
  // only writer of the counts.
  void setCounts(double showTime) const;

 private:
  void publish(bool jump);

  TriggerIndex index_;
  std::function<double()> now_;
  MusicClock* music_;
  double musicStart_;
  bool playing_ = false;
  // The show time runs from anchorTime_ at the real time anchorReading_.
  double anchorTime_ = 0.0;
  double anchorReading_ = 0.0;
  bool looping_ = false;
  double loopStart_ = 0.0;
  double loopEnd_ = 0.0;
  const char* loopName_ = "";
};
