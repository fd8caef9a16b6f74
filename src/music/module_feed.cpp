#include "music/module_feed.h"

#include <algorithm>
#include <cstring>

ModuleFeed::ModuleFeed(ModuleRenderer& renderer, TriggerSink sink, void* user)
    : renderer_(renderer),
      sink_(sink),
      user_(user),
      tick_(static_cast<size_t>(ModuleRenderer::maxTickFrames(renderer.rate())) * 2) {}

void ModuleFeed::fill(int16_t* out, int frames) {
  while (frames > 0) {
    if (tickOffset_ == tickFrames_) {
      RenderedTick tick;
      const int capacity = static_cast<int>(tick_.size() / 2);
      if (!renderer_.renderTick(tick_.data(), capacity, &tick) || tick.frames == 0) break;
      tickFrames_ = tick.frames;
      tickOffset_ = 0;
      if (sink_ != nullptr) {
        for (int i = 0; i < tick.triggerCount; ++i) sink_(user_, tick.triggers[i]);
      }
    }
    const int count = std::min(frames, tickFrames_ - tickOffset_);
    std::memcpy(out, tick_.data() + static_cast<size_t>(tickOffset_) * 2,
                static_cast<size_t>(count) * 2 * sizeof(int16_t));
    out += static_cast<size_t>(count) * 2;
    frames -= count;
    tickOffset_ += count;
  }
  if (frames > 0) std::memset(out, 0, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
}
