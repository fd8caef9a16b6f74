#include "music/sample_playback.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/audio_latency.h"

SamplePlayback::SamplePlayback(MusicClock& clock, std::vector<int16_t> samples, int rate)
    : clock_(clock), samples_(std::move(samples)), rate_(rate > 0 ? rate : 44100) {}

void SamplePlayback::fillOutput(void* playback, int16_t* frames, int frameCount) {
  static_cast<SamplePlayback*>(playback)->fill(frames, frameCount, musicRealTime() + platform::audioOutputLatency());
}

void SamplePlayback::fill(int16_t* out, int frameCount, double heardAt) {
  const MusicPlace place = clock_.place();
  const std::lock_guard<std::mutex> lock(mutex_);
  const int64_t frames = std::max(frameCount, 0);
  if (!place.running) {
    std::memset(out, 0, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
    return;
  }
  if (std::exchange(moved_, false)) seenMoves_ = placeMoves(place) - 1;
  const Followed followed = followClock(place, heardAt, rate_, static_cast<int>(frames), position_, &seenMoves_);
  position_ = followed.position;
  clock_.hear(static_cast<double>(followed.ahead) / rate_);
  const int64_t silent = std::min(frames, followed.silence);
  std::memset(out, 0, static_cast<size_t>(silent) * 2 * sizeof(int16_t));
  // The music's frames [position_, position_ + count), silence outside it.
  const int64_t count = frames - silent;
  const int64_t length = static_cast<int64_t>(samples_.size() / 2);
  int16_t* target = out + silent * 2;
  for (int64_t i = 0; i < count;) {
    const int64_t frame = position_ + i;
    if (frame < 0 || frame >= length) {
      const int64_t run = frame < 0 ? std::min(count - i, -frame) : count - i;
      std::memset(target + i * 2, 0, static_cast<size_t>(run) * 2 * sizeof(int16_t));
      i += run;
      continue;
    }
    const int64_t run = std::min(count - i, length - frame);
    std::memcpy(target + i * 2, samples_.data() + frame * 2, static_cast<size_t>(run) * 2 * sizeof(int16_t));
    i += run;
  }
  position_ += count;
}

void SamplePlayback::replace(std::vector<int16_t> samples, int rate) {
  const std::lock_guard<std::mutex> lock(mutex_);
  samples_ = std::move(samples);
  rate_ = rate > 0 ? rate : 44100;
  moved_ = true;
}

int64_t SamplePlayback::position() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return position_;
}
