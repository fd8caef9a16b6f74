// When the desktop output says a pulled buffer is heard, against a simulated
// device: its pulls late by varying amounts, a busy second, a gap, a slow
// start, a clock of its own.
#include "platform/sdl/audio_heard_time.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kRate = 44100;
constexpr int kBuffer = 2048;
constexpr double kQueue = 0.75 * kBuffer / kRate;

// Lateness of a pull after the device asked for it: most on time or a
// little late, none early.
double latenessOf(int k) {
  static constexpr double kPattern[] = {0.004, 0.0, 0.011, 0.0, 0.012, 0.002, 0.0, 0.007, 0.009, 0.001};
  return kPattern[k % 10];
}

TEST(HeardTime, EachPullIsHeardWhenTheDeviceReachesItsFrames) {
  struct Case {
    const char* what;
    double drift;     // the device's clock against the computer's
    int busyFrom;     // pulls from here on are all late by `busyLate`...
    int busyTo;       // ...up to here
    double busyLate;  // less than the queue lasts: nothing is heard later
    int dryAt;        // this pull comes `dryLate` after the queue ran out...
    double dryLate;
    double dryHeardAfter;  // ...and is heard this long after it
    double tolerance;      // seconds
    int earlyAt = 0;       // this pull and the next come early: a server catching up
  };
  const int second = kRate / kBuffer;
  const int never = 1 << 30;
  const Case cases[] = {
      {"unbroken", 0.0, 0, 0, 0.0, never, 0.0, 0.0, 1e-6},
      {"a busy second and a half", 0.0, 200, 200 + 3 * second / 2, 0.030, never, 0.0, 0.0, 1e-6},
      {"a gap, its late buffer heard at once", 0.0, 0, 0, 0.0, 300, 0.070, 0.0, 1e-6},
      {"a gap, its late buffer heard a queue later", 0.0, 0, 0, 0.0, 300, 0.070, kQueue, 1e-6},
      {"a slow start: the second pull a second late", 0.0, 0, 0, 0.0, 1, 1.0, kQueue, 1e-6},
      {"a device 300 ppm fast", 300e-6, 0, 0, 0.0, never, 0.0, 0.0, 2e-4},
      {"a device 300 ppm slow", -300e-6, 0, 0, 0.0, never, 0.0, 0.0, 5 * 300e-6},
      {"two pulls asked early", 0.0, 0, 0, 0.0, never, 0.0, 0.0, 1e-6, 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::HeardTime heard;
    heard.reset(kRate, kBuffer, kQueue);
    const double seconds = 1.0 / (1.0 + c.drift);  // of the computer's per second of the device's
    double zero = 1000.0 + kQueue;                 // when frame 0 is heard
    EXPECT_NEAR(heard.pull(1000.0, kBuffer), zero, 1e-9) << "the first pull waits for the queue to fill";
    bool gapHeard = false;  // the run dry came after the estimate had settled
    for (int k = 1; k < 1000; ++k) {
      const double frames = double(k) * kBuffer / kRate * seconds;
      double now = zero + frames - kQueue + latenessOf(k);
      if (k >= c.busyFrom && k < c.busyTo) now = zero + frames - kQueue + c.busyLate;
      if (c.earlyAt != 0 && (k == c.earlyAt || k == c.earlyAt + 1)) now = zero + frames - kQueue - 0.008;
      if (k == c.dryAt) {
        gapHeard = heard.settled();
        now = zero + frames + c.dryLate;
        zero = now + c.dryHeardAfter - frames;
      }
      const double at = heard.pull(now, kBuffer);
      // A slow device is followed within the window's drift once its start
      // has left the window.
      double tolerance = k > 4 * second ? c.tolerance : std::max(c.tolerance, 1e-6 + 4 * std::fabs(c.drift));
      // A gap in a steady stream: its late buffer is heard within half a
      // queue of the estimate, and the pulls after it place it.
      if (gapHeard && k >= c.dryAt && k < c.dryAt + 4) tolerance = kQueue / 2 + 1e-6;
      EXPECT_NEAR(at, zero + frames, tolerance) << "pull " << k;
      EXPECT_NEAR(heard.dryFor(), gapHeard && k == c.dryAt ? c.dryLate : 0.0, 1e-6) << "pull " << k;
    }
  }
}

TEST(HeardTime, AReopenedStreamForgetsTheOldOne) {
  platform::HeardTime heard;
  heard.reset(kRate, kBuffer, kQueue);
  for (int k = 0; k < 10; ++k) heard.pull(50.0 + double(k) * kBuffer / kRate, kBuffer);
  heard.reset(kRate, kBuffer, kQueue);
  EXPECT_NEAR(heard.pull(80.0, kBuffer), 80.0 + kQueue, 1e-9);
  const double next = 80.0 + kQueue + double(kBuffer) / kRate;
  EXPECT_NEAR(heard.pull(next - kQueue, kBuffer), next, 1e-9);
}

}  // namespace
