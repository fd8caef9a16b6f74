// The note counts of the sound now leaving the speakers. The audio callback
// raises the instrument counters as it renders a buffer, but the system may
// play that buffer a while later (a browser: its script processor's buffer,
// then its audio context's and the output device's latencies). Where the
// platform reports that delay, the scenes read the counts recorded with each
// buffer once the buffer is heard; where it reports none (a desktop), they
// read the counters themselves, as they always did.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

struct NoteCounts {
  int32_t instrument1 = 0;
  int32_t instrument4 = 0;
};

// Counts in the order the buffers were rendered, each with the time from
// which it is heard. One writer (the audio callback) and one reader (the
// frame loop), without locks. Times are seconds on any one clock.
class HeardCounts {
 public:
  // Forgets every buffer: until the next recorded one is heard, `before` is.
  void restart(NoteCounts before);

  // A buffer rendered with the counts `after`, heard from `heardAt` on.
  void record(double heardAt, NoteCounts after);

  // The counts of the last buffer heard by `now`. When even the oldest one
  // kept is still to come (a delay longer than the buffers kept cover), the
  // oldest one's.
  NoteCounts at(double now) const;

  // Enough for about three seconds of 512-frame buffers; a reader would have
  // to stall for as long for the writer to overwrite what it reads.
  static constexpr uint32_t kSlots = 256;

 private:
  struct Slot {
    std::atomic<double> heardAt{0.0};
    std::atomic<int32_t> instrument1{0};
    std::atomic<int32_t> instrument4{0};
  };
  std::array<Slot, kSlots> slots_;
  std::atomic<uint32_t> written_{0};
};

// The player's side, on the audio thread. Called when the music starts, with
// the counters as they stand.
void startHeardCounts();
// After every buffer the music renders, with the platform's output latency.
void recordRenderedBuffer(double outputLatency);

// The scenes' side: the counts heard now.
int32_t heardInstrument1Hits();
int32_t heardInstrument4Hits();
