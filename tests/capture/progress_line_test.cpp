#include "progress_line.h"

#include <gtest/gtest.h>

TEST(ProgressLine, ShowsFramesRateSpeedAndTimeLeft) {
  const struct {
    long done, total;
    double elapsed, fps;
    const char* expected;
  } cases[] = {
      {600, 5763, 1.0, 60.0, "frame 600/5763 (10%), 600 frames/s, 10.0x real time, 0:09 left"},
      // Time left rounds up, so it never reads 0:00 before the end.
      {5700, 5763, 9.5, 60.0, "frame 5700/5763 (98%), 600 frames/s, 10.0x real time, 0:01 left"},
      {5763, 5763, 9.6, 60.0, "frame 5763/5763 (100%), 600 frames/s, 10.0x real time, 0:00 left"},
      // Slower than real time, and minutes past the hour.
      {30, 7200, 2.0, 30.0, "frame 30/7200 (0%), 15 frames/s, 0.5x real time, 7:58 left"},
      {10, 100000, 1.0, 1.0, "frame 10/100000 (0%), 10 frames/s, 10.0x real time, 166:39 left"},
      // Nothing measured yet.
      {0, 5763, 0.0, 60.0, "frame 0/5763 (0%), -- frames/s, --x real time, -- left"},
      {5, 5763, 0.0, 60.0, "frame 5/5763 (0%), -- frames/s, --x real time, -- left"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(progressLine(c.done, c.total, c.elapsed, c.fps), c.expected);
  }
}
