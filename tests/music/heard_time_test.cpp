// When the desktop output says a pulled buffer is heard, against a simulated
// device whose pulls come late, in bursts, and around a run dry.
#include "platform/sdl/audio_heard_time.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kRate = 44100;
constexpr int kBuffer = 2048;
constexpr double kFirstFrameDelay = 0.015;
constexpr double kLeastDelay = 0.003;

// Lateness of a pull after the device asked for it: most on time, some a
// little late (a busy machine), none later than the queue lasts, none early.
double latenessOf(int k) {
  static constexpr double kPattern[] = {0.004, 0.0, 0.011, 0.0, 0.012, 0.002, 0.0, 0.007, 0.009, 0.001};
  return kPattern[k % 10];
}

TEST(HeardTime, EachPullIsHeardWhenTheDeviceReachesItsFramesWhateverItsLateness) {
  struct Case {
    const char* what;
    int dryAt;      // this pull comes too late: the device runs dry
    double late;    // after the device asked for it
    double resume;  // from the pull to the device playing again
  };
  const Case cases[] = {
      {"unbroken", 1 << 30, 0.0, 0.0},
      {"ran dry, resumed at once", 300, 0.070, 0.0},
      {"ran dry, resumed once more was queued", 500, 0.030, 0.040},
  };
  const int window = kRate / kBuffer;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::HeardTime heard;
    heard.reset(kRate, kBuffer, kFirstFrameDelay, kLeastDelay);
    // When frame 0 is heard, as the device goes. The first pull finds
    // nothing queued.
    double start = 1000.0;
    EXPECT_NEAR(heard.pull(start - kLeastDelay, kBuffer), start, 1e-6);
    const double before = start;
    for (int k = 1; k < 1000; ++k) {
      const double frames = double(k) * kBuffer / kRate;
      const double asked = start + frames - kFirstFrameDelay;
      double now = asked + latenessOf(k);
      if (k == c.dryAt) {
        now = asked + c.late;
        start = now + kLeastDelay + c.resume - frames;
      }
      const double at = heard.pull(now, kBuffer);
      if (k < c.dryAt || k > c.dryAt + window) {
        EXPECT_NEAR(at, start + frames, 1e-6) << "pull " << k;
      } else {
        // Followed within a second; meanwhile never further off than the shift.
        EXPECT_LE(std::fabs(at - (start + frames)), start - before + 1e-6) << "pull " << k;
      }
    }
  }
}

TEST(HeardTime, AReopenedStreamForgetsTheOldOne) {
  platform::HeardTime heard;
  heard.reset(kRate, kBuffer, kFirstFrameDelay, kLeastDelay);
  for (int k = 0; k < 10; ++k) heard.pull(50.0 + double(k) * kBuffer / kRate, kBuffer);
  heard.reset(kRate, kBuffer, kFirstFrameDelay, kLeastDelay);
  // Nothing queued at a new stream's first pull; the next one on time.
  EXPECT_NEAR(heard.pull(80.0, kBuffer), 80.0 + kLeastDelay, 1e-9);
  const double next = 80.0 + kLeastDelay + double(kBuffer) / kRate;
  EXPECT_NEAR(heard.pull(next - kFirstFrameDelay, kBuffer), next, 1e-9);
}

}  // namespace
