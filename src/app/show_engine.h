// The show at any show time. The scenes carry state from frame to frame, so
// the frame at a time T is defined by a history: every frame of a fixed rate
// (60 per second unless told) before T, then T itself, on a clock that
// starts at kShowClockOrigin, with the counters the soundtrack has reached at
// each frame. A seek resets every piece of state and replays that history
// without writing pixels (render/pixel_work.h), then draws T: the live
// program's seeks and the capture tool's frames are the same frames.
#pragma once

#include "app/frame_clock.h"
#include "music/trigger_index.h"

class DataController;
class Font;
struct TriggerTimeline;

// As if the performance counter had been running this long when the show
// started: the first frame's step is then as large as in a live run, and a
// power of two keeps frame times exact.
inline constexpr double kShowClockOrigin = 1024.0;

// A history's frames per second as a fraction, such as 60/1 or 60000/1001.
struct HistoryRate {
  long numerator = 60;
  long denominator = 1;
};

// The show time of frame k of a history, computed the same way everywhere.
double historyFrameTime(long k, const HistoryRate& rate);

class ShowEngine {
 public:
  // `loadDelay` is the show time that passes before the music starts.
  ShowEngine(DataController& data, const Font& font, const TriggerTimeline& timeline, double loadDelay = 0.0);

  // Every piece of frame-to-frame state back to the show's start, the clock too.
  void reset();

  // Reset, the history before showTime replayed without pixels, then the
  // frame at showTime drawn into Screen::pixels; the counters are left at
  // that time's.
  void seek(double showTime, const HistoryRate& rate = HistoryRate{});

  // The next frame, at a later showTime, with the counters the soundtrack
  // has reached by then.
  void drawFrame(double showTime);

  // The next frame with the counters as they are: the live program's audio
  // thread raises them as it plays.
  void drawLiveFrame(double showTime);

  // The same show on reloaded media or a reloaded soundtrack; the state is
  // then the caller's to rebuild with a seek.
  void useMedia(DataController& data, const Font& font);
  void useTimeline(const TriggerTimeline& timeline);

  // The show time of the last frame drawn, as it was asked for (0 before any).
  double showTime() const { return showTime_; }
  const FrameClock& clock() const { return clock_; }

 private:
  void setCounters(double showTime);
  void runFrame(double showTime);

  DataController* data_;
  const Font* font_;
  TriggerIndex index_;
  double loadDelay_;
  FrameClock clock_{kShowClockOrigin};
  double showTime_ = 0.0;
};
