#include "music/heard_counts.h"

#include <limits>

#include "music/instrument_counters.h"
#include "platform/platform.h"

void HeardCounts::restart(NoteCounts before) {
  written_.store(0, std::memory_order_relaxed);
  record(-std::numeric_limits<double>::infinity(), before);
}

void HeardCounts::record(double heardAt, NoteCounts after) {
  const uint32_t index = written_.load(std::memory_order_relaxed);
  Slot& slot = slots_[index % kSlots];
  slot.heardAt.store(heardAt, std::memory_order_relaxed);
  slot.instrument1.store(after.instrument1, std::memory_order_relaxed);
  slot.instrument4.store(after.instrument4, std::memory_order_relaxed);
  written_.store(index + 1, std::memory_order_release);
}

NoteCounts HeardCounts::at(double now) const {
  const uint32_t written = written_.load(std::memory_order_acquire);
  if (written == 0) return {};
  const uint32_t oldest = written > kSlots ? written - kSlots : 0;
  uint32_t index = written - 1;
  // Newest first: the last buffer whose time has come.
  while (index > oldest && slots_[index % kSlots].heardAt.load(std::memory_order_relaxed) > now) --index;
  const Slot& slot = slots_[index % kSlots];
  return {slot.instrument1.load(std::memory_order_relaxed), slot.instrument4.load(std::memory_order_relaxed)};
}

namespace {

HeardCounts heard;
// Set by the first buffer rendered with a reported latency; until then the
// scenes read the counters themselves.
std::atomic<bool> delayed{false};

double nowSeconds() {
  static const double secondsPerCount = [] {
    int64_t frequency = 0;
    return platform::queryCounterFrequency(&frequency) && frequency > 0 ? 1.0 / static_cast<double>(frequency) : 0.0;
  }();
  return static_cast<double>(platform::readCounter()) * secondsPerCount;
}

NoteCounts counters() {
  return {instrument1Hits.load(std::memory_order_relaxed), instrument4Hits.load(std::memory_order_relaxed)};
}

}  // namespace

void startHeardCounts() {
  delayed.store(false, std::memory_order_relaxed);
  heard.restart(counters());
}

// Recorded without a latency too, so that a latency first reported late in
// the music finds the buffers before it heard.
void recordRenderedBuffer(double outputLatency) {
  heard.record(nowSeconds() + outputLatency, counters());
  if (outputLatency > 0.0 && !delayed.load(std::memory_order_relaxed)) {
    delayed.store(true, std::memory_order_release);
  }
}

int32_t heardInstrument1Hits() {
  if (!delayed.load(std::memory_order_acquire)) return instrument1Hits.load(std::memory_order_relaxed);
  return heard.at(nowSeconds()).instrument1;
}

int32_t heardInstrument4Hits() {
  if (!delayed.load(std::memory_order_acquire)) return instrument4Hits.load(std::memory_order_relaxed);
  return heard.at(nowSeconds()).instrument4;
}
