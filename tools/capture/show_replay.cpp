#include "show_replay.h"

#include <cmath>

#include "platform/platform.h"
#include "render/font.h"
#include "resources/data_controller.h"

namespace {

constexpr int kRate = 44100;

int64_t sampleFrameAt(double seconds) { return std::llround(seconds * kRate); }

}  // namespace

ShowReplay::ShowReplay(double loadDelay) : loadDelay_(loadDelay) {
  data_ = std::make_unique<DataController>("resinfo.rli");
  Picture* fontPicture = data_->getPicture(0);
  if (fontPicture == nullptr) platform::showMessageBox("Error", "Couldn't load font from Resource Manager!");
  font_ = std::make_unique<Font>(16, 8, 32, 32, fontPicture);
  timeline_ = scanTriggerTimelineFile("demo.xm", kRate, &music_);
  engine_ = std::make_unique<ShowEngine>(*data_, *font_, timeline_, loadDelay_);
}

ShowReplay::~ShowReplay() = default;

void ShowReplay::seek(double showTime, const HistoryRate& rate) { engine_->seek(showTime, rate); }

void ShowReplay::renderFrame(double showTime) { engine_->drawFrame(showTime); }

std::vector<int16_t> ShowReplay::audio(double from, double to) const {
  const int64_t first = sampleFrameAt(from);
  const int64_t count = std::max<int64_t>(0, sampleFrameAt(to) - first);
  std::vector<int16_t> out(static_cast<size_t>(count) * 2, 0);
  const int64_t musicStart = sampleFrameAt(loadDelay_);
  const int64_t musicFrames = static_cast<int64_t>(music_.size() / 2);
  for (int64_t i = 0; i < count; ++i) {
    const int64_t m = first + i - musicStart;
    if (m < 0 || m >= musicFrames) continue;
    out[static_cast<size_t>(i) * 2] = music_[static_cast<size_t>(m) * 2];
    out[static_cast<size_t>(i) * 2 + 1] = music_[static_cast<size_t>(m) * 2 + 1];
  }
  return out;
}
