#include "app/precision_timer.h"

#include <new>

#include "platform/platform.h"

int64_t PrecisionTimer::frequency = 0;

namespace {

PrecisionTimer* theInstance = nullptr;

// The platform counter ticks in nanoseconds; used only when the frequency
// query failed, so that readings still grow with real time.
constexpr double kFallbackSecondsPerCount = 1e-9;

}  // namespace

CounterSource platformCounterSource() { return CounterSource{platform::queryCounterFrequency, platform::readCounter}; }

PrecisionTimer* PrecisionTimer::instance() {
  if (theInstance == nullptr) theInstance = new (std::nothrow) PrecisionTimer(platformCounterSource());
  return theInstance;
}

PrecisionTimer::PrecisionTimer(CounterSource source) : source_(source) {
  if (!source_.queryFrequency(&frequency)) {
    frequency = 0;
    platform::showMessageBox("Error", "Your system doesn't support rdtsc!");
  }
}

double PrecisionTimer::seconds() const {
  const int64_t count = source_.readCounter();
  if (frequency <= 0) return static_cast<double>(count) * kFallbackSecondsPerCount;
  return static_cast<double>(count) / static_cast<double>(frequency);
}
