#include "music/sample_playback.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "music/heard_counts.h"
#include "music/instrument_counters.h"
#include "platform/audio_latency.h"

namespace {

std::vector<TimedTrigger> countedTriggers(const TriggerTimeline& timeline) {
  std::vector<TimedTrigger> counted;
  for (const TimedTrigger& t : timeline.triggers) {
    if (t.instrument == 1 || t.instrument == 4) counted.push_back(t);
  }
  return counted;
}

}  // namespace

SamplePlayback::SamplePlayback(const TriggerTimeline& timeline, std::vector<int16_t> samples)
    : samples_(std::move(samples)),
      counted_(countedTriggers(timeline)),
      rate_(timeline.rate > 0 ? timeline.rate : 44100) {
  seekLocked(0.0);
}

void SamplePlayback::fillOutput(void* playback, int16_t* frames, int frameCount) {
  static_cast<SamplePlayback*>(playback)->fill(frames, frameCount);
  recordRenderedBuffer(platform::audioOutputLatency());
}

void SamplePlayback::fill(int16_t* out, int frameCount) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const size_t wanted = static_cast<size_t>(std::max(frameCount, 0)) * 2;
  if (paused_) {
    std::memset(out, 0, wanted * sizeof(int16_t));
    return;
  }
  const size_t first = static_cast<size_t>(position_) * 2;
  const size_t available = first < samples_.size() ? std::min(wanted, samples_.size() - first) : 0;
  if (available > 0) std::memcpy(out, samples_.data() + first, available * sizeof(int16_t));
  std::memset(out + available, 0, (wanted - available) * sizeof(int16_t));
  position_ += frameCount;
  for (; nextTrigger_ < counted_.size() && counted_[nextTrigger_].frame < position_; ++nextTrigger_) {
    countInstrumentHit(nullptr, static_cast<uint8_t>(counted_[nextTrigger_].instrument));
  }
}

void SamplePlayback::seek(double seconds) {
  const std::lock_guard<std::mutex> lock(mutex_);
  seekLocked(seconds);
}

void SamplePlayback::seekLocked(double seconds) {
  // The notes counted are those TriggerTimeline::hitsUpTo counts, in the same
  // comparison; one on a later frame waits for the buffer that carries it.
  const double limit = seconds * rate_;
  nextTrigger_ = 0;
  int32_t hits1 = 0;
  int32_t hits4 = 0;
  for (; nextTrigger_ < counted_.size() && !(static_cast<double>(counted_[nextTrigger_].frame) > limit);
       ++nextTrigger_) {
    (counted_[nextTrigger_].instrument == 1 ? hits1 : hits4) += 1;
  }
  instrument1Hits.store(hits1, std::memory_order_relaxed);
  instrument4Hits.store(hits4, std::memory_order_relaxed);
  // The sound still on its way to the speakers is from before the jump: the
  // scenes read the new counts until the new place's first buffer is heard.
  startHeardCounts();
  position_ = std::max<int64_t>(0, std::llround(limit));
}

void SamplePlayback::setPaused(bool paused) {
  const std::lock_guard<std::mutex> lock(mutex_);
  paused_ = paused;
}

void SamplePlayback::replace(const TriggerTimeline& timeline, std::vector<int16_t> samples, double seconds) {
  const std::lock_guard<std::mutex> lock(mutex_);
  samples_ = std::move(samples);
  counted_ = countedTriggers(timeline);
  rate_ = timeline.rate > 0 ? timeline.rate : 44100;
  seekLocked(seconds);
}

bool SamplePlayback::paused() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return paused_;
}

int64_t SamplePlayback::position() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return position_;
}
