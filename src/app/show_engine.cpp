#include "app/show_engine.h"

#include <utility>

#include "render/pixel_work.h"
#include "render/show_state.h"
#include "script/scene.h"

double historyFrameTime(long k, const HistoryRate& rate) {
  return static_cast<double>(k) * static_cast<double>(rate.denominator) / static_cast<double>(rate.numerator);
}

ShowEngine::ShowEngine(DataController& data, const Font& font, const TriggerTimeline& timeline, double loadDelay,
                       std::function<double()> now, MusicClock* music)
    : data_(&data), font_(&font), transport_(timeline, std::move(now), music, loadDelay) {}

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
  transport_.setPosition(showTime);
}

void ShowEngine::drawFrame(double showTime) {
  transport_.setCounts(showTime);
  clock_.update(kShowClockOrigin + showTime);
  showTime_ = showTime;
  runScene(*data_, clock_, *font_);
}

void ShowEngine::useMedia(DataController& data, const Font& font) {
  data_ = &data;
  font_ = &font;
}
