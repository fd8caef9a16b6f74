#include "app/show_loop.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Recorder {
  std::vector<double> drawn;
  std::vector<double> presented;
};

long runOn(const std::vector<double>& readings, double start, Recorder& rec) {
  FrameClock clock(start);
  size_t next = 0;
  double lastDrawn = 0.0;
  return runShowLoop(
      clock, [&] { return readings.at(next++); },
      [&](const FrameClock& c) {
        lastDrawn = c.currentTime;
        rec.drawn.push_back(c.currentTime);
      },
      [&] { rec.presented.push_back(lastDrawn); });
}

}  // namespace

TEST(ShowLoop, AReadingOfExactlyNinetySixSecondsIsNotTheLast) {
  Recorder rec;
  const double start = 1000.0;
  const long passes = runOn({1000.5, 1096.0, 1096.01, 2000.0}, start, rec);
  EXPECT_EQ(passes, 3);
  EXPECT_EQ(rec.drawn, (std::vector<double>{1000.5, 1096.0, 1096.01}));
  EXPECT_EQ(rec.presented, rec.drawn) << "the last frame is drawn and presented in full";
}

TEST(ShowLoop, FirstPassAlwaysRunsWhateverTheTime) {
  Recorder rec;
  EXPECT_EQ(runOn({5000.0}, 0.0, rec), 1);
  EXPECT_EQ(rec.drawn.size(), 1u);
  EXPECT_EQ(rec.presented.size(), 1u);
}
