#include "app/show_loop.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/seen_delay.h"
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

// The plain show reads its counts for the moment its frame will be seen, and
// half a frame on so that a note comes on the frame nearest to it: the
// estimates follow the display's pace and shrug off a stall, and the frames
// shown on time stay on time among late ones.
TEST(SeenDelay, FollowsThePresentsPaceNotItsStalls) {
  struct Case {
    const char* name;
    std::vector<std::pair<double, int>> delays;  // a delay, so many frames in a row
    double expected;
    double within;
    int repeats = 1;  // of the whole pattern of delays
  };
  const double refresh = 1.0 / 60.0;
  const Case cases[] = {
      {"a display synced at 60 Hz", {{refresh, 1}}, refresh, 1e-9},
      {"no sync: drawing and present alone", {{0.004, 300}}, 0.004, 1e-9},
      {"a stall of two seconds just now", {{refresh, 300}, {2.0, 1}}, refresh, 0.003},
      {"the window moved to a 60-Hz screen", {{0.004, 300}, {refresh, 120}}, refresh, 0.0005},
      {"a clock read after the present", {{-0.5, 1}}, 0.0, 1e-9},
      {"a busy machine: a frame in four 12 ms late", {{0.004, 3}, {0.016, 1}}, 0.004, 1e-9, 40},
  };
  for (const Case& c : cases) {
    SeenDelay seen;
    double readAt = 100.0;
    for (int r = 0; r < c.repeats; ++r) {
      for (const auto& [delay, frames] : c.delays) {
        for (int i = 0; i < frames; ++i, readAt += refresh) seen.measure(readAt, readAt + delay);
      }
    }
    EXPECT_NEAR(seen.seconds(), c.expected, c.within) << c.name;
    if (c.delays.size() > 1 || c.delays[0].second > 1) {
      EXPECT_NEAR(seen.countsAhead(), c.expected + refresh / 2, c.within) << c.name;
    }
  }
}
