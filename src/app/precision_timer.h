// Show time in seconds from the platform's high-resolution counter. The
// frequency is queried once, when the one instance is created; a reading
// counts from the counter's own origin, so only differences mean anything.
#pragma once

#include <cstdint>

// Where readings come from; tests hand in their own.
struct CounterSource {
  bool (*queryFrequency)(int64_t* frequency);
  int64_t (*readCounter)();
};

CounterSource platformCounterSource();

class PrecisionTimer {
 public:
  // The process-wide instance, created on the first call.
  static PrecisionTimer* instance();

  // Queries the frequency; a failed query shows "Your system doesn't support
  // rdtsc!" and leaves the frequency at 0.
  explicit PrecisionTimer(CounterSource source);

  double seconds() const;

  static int64_t frequency;

 private:
  CounterSource source_;
};
