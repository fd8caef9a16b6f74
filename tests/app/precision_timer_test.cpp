#include "app/precision_timer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

int64_t fakeCount = 0;
bool frequencyAnswers = true;

bool fakeFrequency(int64_t* frequency) {
  *frequency = frequencyAnswers ? 1000 : 12345;  // a failed query may leave junk behind
  return frequencyAnswers;
}
int64_t fakeCounter() { return fakeCount; }

struct RestoreFrequency {
  int64_t saved = PrecisionTimer::frequency;
  ~RestoreFrequency() { PrecisionTimer::frequency = saved; }
};

}  // namespace

TEST(PrecisionTimer, SecondsAreCountOverFrequencyFromTheCounterOrigin) {
  RestoreFrequency restore;
  frequencyAnswers = true;
  PrecisionTimer timer(CounterSource{fakeFrequency, fakeCounter});
  EXPECT_EQ(PrecisionTimer::frequency, 1000);
  fakeCount = 2500;
  EXPECT_DOUBLE_EQ(timer.seconds(), 2.5);
  fakeCount = -500;
  EXPECT_DOUBLE_EQ(timer.seconds(), -0.5);
}

TEST(PrecisionTimer, FailedFrequencyQueryReportsAndNeverDividesByZero) {
  RestoreFrequency restore;
  frequencyAnswers = false;
  testing::internal::CaptureStderr();
  PrecisionTimer timer(CounterSource{fakeFrequency, fakeCounter});
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "Error: Your system doesn't support rdtsc!\n");
  EXPECT_EQ(PrecisionTimer::frequency, 0);
  fakeCount = 1000;
  const double early = timer.seconds();
  fakeCount = 2000;
  const double later = timer.seconds();
  EXPECT_TRUE(std::isfinite(early));
  EXPECT_GT(later, early);
}

TEST(PrecisionTimer, PlatformInstanceIsCreatedOnceAndGrows) {
  PrecisionTimer* first = PrecisionTimer::instance();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(PrecisionTimer::instance(), first);
  EXPECT_GT(PrecisionTimer::frequency, 0);
  const double a = first->seconds();
  const double b = first->seconds();
  EXPECT_GE(b, a);
}
