#include "music/module_feed.h"

#include <algorithm>
#include <cstring>

ModuleFeed::ModuleFeed(ModuleRenderer& renderer, TriggerSink sink, void* user)
    : renderer_(renderer),
      sink_(sink),
      user_(user),
      tick_(static_cast<size_t>(ModuleRenderer::maxTickFrames(renderer.rate())) * 2) {}

void ModuleFeed::fill(int16_t* out, int frames) {
  position_ += frames;
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
    if (out != nullptr) {
      std::memcpy(out, tick_.data() + static_cast<size_t>(tickOffset_) * 2,
                  static_cast<size_t>(count) * 2 * sizeof(int16_t));
      out += static_cast<size_t>(count) * 2;
    }
    frames -= count;
    tickOffset_ += count;
  }
  if (frames > 0 && out != nullptr) std::memset(out, 0, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
}

void ModuleFeed::follow(int16_t* out, int frames, const MusicPlace& place, double heardAt) {
  if (!place.running) {
    std::memset(out, 0, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
    return;
  }
  const int rate = renderer_.rate() > 0 ? renderer_.rate() : 44100;
  if (catchingUp_) seenMoves_ = placeMoves(place) - 1;
  const Followed followed = followClock(place, heardAt, rate, frames, position_, &seenMoves_);
  catchingUp_ = false;
  if (followed.position > position_) {
    skip(static_cast<int>(std::min<int64_t>(followed.position - position_, rate / 4)));
    // Still catching up: silence rather than snatches of the music on the way.
    catchingUp_ = followed.position > position_;
    if (catchingUp_) {
      std::memset(out, 0, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
      return;
    }
  }
  // The module plays forwards only: a place behind what was handed out is
  // waited for.
  const int64_t ahead = std::max(followed.silence, position_ - followed.position);
  const int silent = static_cast<int>(std::clamp<int64_t>(ahead, 0, frames));
  std::memset(out, 0, static_cast<size_t>(silent) * 2 * sizeof(int16_t));
  fill(out + static_cast<size_t>(silent) * 2, frames - silent);
}
