#include "app/show_loop.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/frame_loop.h"

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

// The pass a browser calls once per frame: it answers whether another is due,
// and the pass that says no has drawn and presented its frame.
TEST(ShowLoop, EachPassAnswersWhetherAnotherIsDue) {
  struct Case {
    double reading;
    bool anotherDue;
  };
  const double start = 50.0;
  const Case cases[] = {{50.0, true}, {100.0, true}, {146.0, true}, {146.000001, false}, {1e9, false}};
  for (const Case& c : cases) {
    FrameClock clock(start);
    int drawn = 0, presented = 0;
    const bool due = runShowPass(
        clock, [&] { return c.reading; }, [&](const FrameClock&) { ++drawn; }, [&] { ++presented; });
    EXPECT_EQ(due, c.anotherDue) << "reading " << c.reading;
    EXPECT_EQ(drawn, 1);
    EXPECT_EQ(presented, 1);
  }
}

// A desktop drives the passes back to back until the show leaves the
// process; here the pass leaves by throwing once it has run five times.
TEST(ShowLoop, DesktopDriverCallsThePassUntilTheProcessLeaves) {
  struct Left {};
  int calls = 0;
  EXPECT_THROW(platform::runFrameLoop(
                   [](void* user) {
                     int& n = *static_cast<int*>(user);
                     if (++n == 5) throw Left{};
                   },
                   &calls),
               Left);
  EXPECT_EQ(calls, 5);
}
