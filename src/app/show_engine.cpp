#include "app/show_engine.h"

#include "music/instrument_counters.h"
#include "render/pixel_work.h"
#include "script/scene.h"
#include "script/show_state.h"

double historyFrameTime(long k, const HistoryRate& rate) {
  return static_cast<double>(k) * static_cast<double>(rate.denominator) / static_cast<double>(rate.numerator);
}

ShowEngine::ShowEngine(DataController& data, const Font& font, const TriggerTimeline& timeline, double loadDelay)
    : data_(&data), font_(&font), index_(timeline), loadDelay_(loadDelay) {}

void ShowEngine::reset() {
  resetShowState(*data_);
  clock_ = FrameClock(kShowClockOrigin);
  showTime_ = 0.0;
}

void ShowEngine::seek(double showTime, const HistoryRate& rate) {
  reset();
  {
    const pixelwork::Skipped skipped;
    for (long k = 0; historyFrameTime(k, rate) < showTime; ++k) drawFrame(historyFrameTime(k, rate));
  }
  drawFrame(showTime);
}

void ShowEngine::drawFrame(double showTime) {
  setCounters(showTime);
  runFrame(showTime);
}

void ShowEngine::drawLiveFrame(double showTime) { runFrame(showTime); }

void ShowEngine::useMedia(DataController& data, const Font& font) {
  data_ = &data;
  font_ = &font;
}

void ShowEngine::useTimeline(const TriggerTimeline& timeline) { index_ = TriggerIndex(timeline); }

void ShowEngine::setCounters(double showTime) {
  const double musicTime = showTime - loadDelay_;
  // Before the music starts no note has played.
  const bool playing = musicTime >= 0.0;
  instrument1Hits.store(playing ? index_.hitsUpTo(1, musicTime) : 0, std::memory_order_relaxed);
  instrument4Hits.store(playing ? index_.hitsUpTo(4, musicTime) : 0, std::memory_order_relaxed);
}

void ShowEngine::runFrame(double showTime) {
  clock_.update(kShowClockOrigin + showTime);
  showTime_ = showTime;
  runScene(*data_, clock_, *font_);
}
