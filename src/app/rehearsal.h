// A show that starts anywhere and, in a rehearsal, pauses, steps, seeks and
// loops, or, in a viewer's player, pauses and seeks: the show time, the keys
// and requests, and what each pass draws. The show time, the pause and the
// loop are the engine's transport's (app/transport.h). It owns no window and
// no sound device, so that it runs on a fake clock in tests; the live
// program presents what it draws (app/rehearsed_show.h).
#pragma once

#include <cstdint>
#include <vector>

#include "app/run_kind.h"
#include "app/show_engine.h"
#include "script/scene_marks.h"

// The step of '.' and ',': one frame of a 60 fps history.
inline constexpr HistoryRate kStepRate{60, 1};
inline constexpr double kSkipSeconds = 5.0;

class Rehearsal {
 public:
  struct Settings {
    double startTime = 0.0;
    RunKind kind = RunKind::fromTime;
    bool paused = false;  // a rehearsal's: start paused
  };

  // What one pass did.
  struct Pass {
    bool drew = false;   // Screen::pixels holds a new frame
    bool ended = false;  // the show is over: present this frame and end
  };

  // The engine's transport reads the real clock and moves the music.
  Rehearsal(ShowEngine& engine, std::vector<SceneMark> marks, const Settings& settings);

  // Keys arrive between passes (the display hands them over while it
  // presents) and act at the start of the next pass, in their order.
  void press(uint32_t virtualKey);
  // A player's controls ask for these; they act with the keys, in order.
  void requestSeek(double showTime);
  void requestPaused(bool paused);

  // Draws the frame at the start time ahead of the first pass, which then
  // shows it at once: a late start time replays most of the show, which a
  // page does before the viewer's click rather than after it. The show time
  // runs from the first pass on.
  void cue();

  // One pass of the frame loop: the keys, then the frame that is due.
  Pass pass();

  // After reloaded media or music: the next pass draws the frame at the
  // same show time again, from the start of its history.
  void redraw() { redrawDue_ = true; }
  // A reloaded module: its notes, its scene marks and the frame redrawn.
  void useMusic(const TriggerTimeline& timeline);

  bool paused() const { return !transport_.isPlaying(); }
  bool looping() const { return transport_.looping(); }
  bool overlayShown() const { return overlay_; }
  // The show time of the frame last drawn.
  double showTime() const { return engine_.showTime(); }
  // Every seek so far, the start's included: a player tells a jump by it.
  int seeks() const { return seeks_; }
  const char* loopedScene() const;

 private:
  struct Request {
    enum class Kind { key, seek, pause, play };
    Kind kind = Kind::key;
    uint32_t key = 0;
    double showTime = 0.0;
  };

  void act(const Request& request);
  void apply(uint32_t key);
  void seek(double showTime);
  void setPaused(bool paused);
  void placeLoop();
  const SceneMark* markAtOrBefore(double t) const;

  ShowEngine& engine_;
  Transport& transport_;
  std::vector<SceneMark> marks_;
  RunKind kind_;
  std::vector<Request> requests_;

  bool overlay_ = false;
  bool started_ = false;
  bool cued_ = false;  // the first frame is drawn and waits for the first pass
  int seeks_ = 0;
  bool sought_ = false;  // this pass has drawn a sought frame
  bool redrawDue_ = false;
  double startTime_;
  bool startPaused_;
};
