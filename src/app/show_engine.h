// The show at any show time. The scenes carry state from frame to frame, so
// the frame at a time T is defined by a history: every frame of a fixed rate
// (60 per second unless told) before T, then T itself, on a clock that
// starts at kShowClockOrigin, with the counts the music has reached at each
// frame (app/transport.h). A seek resets the show's state (render/show_state.h)
// and replays that history without writing pixels (render/pixel_work.h),
// then draws T and puts the transport there: the live program's seeks and
// the capture tool's frames are the same frames.
#pragma once

#include <functional>

#include "app/frame_clock.h"
#include "app/transport.h"

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
  // `loadDelay` is the show time that passes before the music starts; `now`
  // and `music` are the transport's (app/transport.h), for a live show.
  ShowEngine(DataController& data, const Font& font, const TriggerTimeline& timeline, double loadDelay = 0.0,
             std::function<double()> now = {}, MusicClock* music = nullptr);

  // Every piece of frame-to-frame state back to the show's start, the clock too.
  void reset();

  // Reset, the history before showTime replayed without pixels, then the
  // frame at showTime drawn into Screen::pixels, and the transport and the
  // music put at showTime once the replay is done; the counts are left at
  // that time's.
  void seek(double showTime, const HistoryRate& rate = HistoryRate{});

  // The next frame, at a later showTime, with the counts the music has
  // reached by then.
  void drawFrame(double showTime);

  // The same show on reloaded media or a reloaded soundtrack; the state is
  // then the caller's to rebuild with a seek.
  void useMedia(DataController& data, const Font& font);
  void useTimeline(const TriggerTimeline& timeline) { transport_.useTimeline(timeline); }

  Transport& transport() { return transport_; }
  const Transport& transport() const { return transport_; }

  // The show time of the last frame drawn, as it was asked for (0 before any).
  double showTime() const { return showTime_; }
  const FrameClock& clock() const { return clock_; }

 private:
  DataController* data_;
  const Font* font_;
  Transport transport_;
  FrameClock clock_{kShowClockOrigin};
  double showTime_ = 0.0;
};
