#include "show_replay.h"

#include <cmath>

#include "app/show_startup.h"
#include "music/module_renderer.h"
#include "music/module_report.h"
#include "render/font.h"
#include "resources/data_controller.h"

namespace {

int64_t sampleFrameAt(double seconds) { return std::llround(seconds * kShowMusicRate); }

}  // namespace

// In the live show's order: the list and its pictures, the font, the music.
ShowReplay::ShowReplay(double loadDelay) : loadDelay_(loadDelay) {
  data_ = loadShowResources();
  font_ = cutShowFont(*data_);
  ModuleRenderer module;
  const bool loaded = module.loadFile(kShowMusicFile, kShowMusicRate);
  reportModuleLoad(kShowMusicFile, module, loaded);
  timeline_ = scanTriggerTimeline(module, &music_);
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
