#include "music/module_feed.h"

#include <algorithm>
#include <cmath>
#include <cstring>

ModuleFeed::ModuleFeed(ModuleRenderer& renderer, TriggerSink sink, void* user)
    : renderer_(renderer),
      sink_(sink),
      user_(user),
      tick_(static_cast<size_t>(ModuleRenderer::maxTickFrames(renderer.rate())) * 2) {
  // Room for the largest buffer an output asks for, so that the audio thread
  // allocates nothing.
  stretch_.reserve(static_cast<size_t>(8192 + 8192 * kMostNudgePer2048 / 2048) * 2);
}

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

double ModuleFeed::follow(int16_t* out, int frames, const MusicPlace& place, double heardAt) {
  if (!place.running) {
    std::memset(out, 0, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
    return 0.0;
  }
  const int rate = renderer_.rate() > 0 ? renderer_.rate() : 44100;
  if (catchingUp_) seenMoves_ = placeMoves(place) - 1;
  const Followed followed = followClock(place, heardAt, rate, frames, position_, &seenMoves_);
  catchingUp_ = false;
  if (followed.position > position_) {
    skip(static_cast<int>(std::min<int64_t>(followed.position - position_, int64_t{kCatchUpPerFrame} * frames)));
    // Still catching up: silence rather than snatches of the music on the way.
    catchingUp_ = followed.position > position_;
    if (catchingUp_) {
      std::memset(out, 0, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
      return 0.0;
    }
  }
  // The module plays forwards only: a place behind what was handed out is
  // waited for.
  const int64_t ahead = std::max(followed.silence, position_ - followed.position);
  const int silent = static_cast<int>(std::clamp<int64_t>(ahead, 0, frames));
  std::memset(out, 0, static_cast<size_t>(silent) * 2 * sizeof(int16_t));
  const int rest = frames - silent;
  // Off the clock by a little: fewer frames of the music stretched over the
  // buffer when ahead, more when behind, by a frame for every millisecond
  // off; no gap and no jump is heard.
  int64_t nudge = 0;
  const int64_t from = std::llround(kNudgeFrom * rate);
  // Never a buffer so short that a frame more or fewer is much of it.
  if (silent == 0 && rest >= kMostNudgePer2048 * 64 && std::llabs(followed.ahead) > from) {
    const int64_t most = std::max(1, rest * kMostNudgePer2048 / 2048);
    nudge = std::clamp<int64_t>(followed.ahead / (2 * from), -most, most);
    if (nudge == 0) nudge = followed.ahead > 0 ? 1 : -1;
  }
  if (nudge == 0) {
    fill(out + static_cast<size_t>(silent) * 2, rest);
  } else {
    fillStretched(out, rest, rest - static_cast<int>(nudge));
  }
  return static_cast<double>(followed.ahead) / rate;
}

void ModuleFeed::fillStretched(int16_t* out, int frames, int source) {
  // Catmull-Rom interpolation: a linear one would dull the highs of every
  // nudged buffer, half a sample off in its middle, by 2 dB at 10 kHz.
  stretch_.resize(static_cast<size_t>(source) * 2);
  fill(stretch_.data(), source);
  const auto sample = [&](int j, int c) {
    return static_cast<double>(stretch_[static_cast<size_t>(std::clamp(j, 0, source - 1)) * 2 + c]);
  };
  const double step = static_cast<double>(source) / frames;
  for (int i = 0; i < frames; ++i) {
    const double at = i * step;
    const int j = static_cast<int>(at);
    const double f = at - j;
    for (int c = 0; c < 2; ++c) {
      const double p0 = sample(j - 1, c), p1 = sample(j, c), p2 = sample(j + 1, c), p3 = sample(j + 2, c);
      const double v = p1 + 0.5 * f * (p2 - p0 + f * (2 * p0 - 5 * p1 + 4 * p2 - p3 + f * (3 * (p1 - p2) + p3 - p0)));
      out[static_cast<size_t>(i) * 2 + c] = static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
    }
  }
}
