#include "app/frame_clock.h"

#include <gtest/gtest.h>

TEST(FrameClock, StartsFromTheStartTime) {
  FrameClock clock(1234.5);
  EXPECT_EQ(clock.secondMark, 1234.5);
  EXPECT_EQ(clock.startTime, 1234.5);
  EXPECT_EQ(clock.frameDelta, 0.0);
  EXPECT_EQ(clock.previousTime, 0.0);
  EXPECT_EQ(clock.currentTime, 0.0);
  EXPECT_EQ(clock.framesPerSecond, 0);
  EXPECT_EQ(clock.framesThisSecond, 0);
  EXPECT_EQ(clock.secondLength, 1.0f);
  EXPECT_TRUE(clock.secondElapsed);
}

TEST(FrameClock, FirstDeltaIsTheWholeFirstReading) {
  FrameClock clock(5000.0);
  clock.update(5000.25);
  EXPECT_EQ(clock.frameDelta, 5000.25);
  EXPECT_EQ(clock.currentTime, 5000.25);
  EXPECT_EQ(clock.previousTime, 5000.25);
  EXPECT_FALSE(clock.secondElapsed);
  clock.update(5000.5);
  EXPECT_EQ(clock.frameDelta, 0.25);
}

TEST(FrameClock, AReadingExactlyOneSecondLaterClosesTheWindow) {
  FrameClock clock(100.0);
  clock.update(100.5);
  EXPECT_FALSE(clock.secondElapsed);
  EXPECT_EQ(clock.framesThisSecond, 1);
  clock.update(101.0);
  EXPECT_TRUE(clock.secondElapsed);
  EXPECT_EQ(clock.secondMark, 101.0);
  EXPECT_EQ(clock.framesPerSecond, 1);
  EXPECT_EQ(clock.framesThisSecond, 0);
  clock.update(101.25);
  EXPECT_FALSE(clock.secondElapsed);
}

TEST(FrameClock, SlowFirstFrameClosesAWindowWithZero) {
  FrameClock clock(10.0);
  clock.update(12.5);
  EXPECT_TRUE(clock.secondElapsed);
  EXPECT_EQ(clock.framesPerSecond, 0);
  EXPECT_EQ(clock.secondMark, 12.5);
}

// Frames exactly 1/k s apart: the closing frame is counted in neither window,
// so a full window reports k - 1. Times are multiples of 1/k chosen to be
// exact in binary so that the window edge is hit exactly.
TEST(FrameClock, FramesOneKthApartReportKMinusOne) {
  for (int k : {2, 4, 8, 16, 32, 64}) {
    SCOPED_TRACE(k);
    FrameClock clock(0.0);
    const double step = 1.0 / k;
    clock.update(1.0);  // closes the first window at t = 1
    for (int i = 1; i <= k; ++i) clock.update(1.0 + i * step);
    EXPECT_TRUE(clock.secondElapsed);
    EXPECT_EQ(clock.framesPerSecond, k - 1);
  }
}
