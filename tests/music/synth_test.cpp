// The composer's building blocks: pitches, filters, noise and scaling.
#include "synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Steady-state gain of a filter for a sine of `frequency`.
double gainAt(synth::Biquad filter, double frequency) {
  double peak = 0.0;
  const int frames = 44100 / 2;
  for (int i = 0; i < frames; ++i) {
    const double y = filter.process(std::sin(2.0 * synth::kPi * frequency * i / synth::kRate));
    if (i > frames / 2) peak = std::max(peak, std::fabs(y));
  }
  return peak;
}

TEST(Synth, NotesFollowEqualTemperamentFromA440) {
  EXPECT_DOUBLE_EQ(synth::noteFrequency(58), 440.0);
  EXPECT_DOUBLE_EQ(synth::noteFrequency(46), 220.0);
  EXPECT_NEAR(synth::noteFrequency(49), 261.626, 0.001);  // C-4
  EXPECT_NEAR(synth::noteFrequency(59) / synth::noteFrequency(58), std::pow(2.0, 1.0 / 12.0), 1e-12);
}

TEST(Synth, FiltersPassAndStopWhereTheyShould) {
  struct Case {
    const char* name;
    synth::Biquad filter;
    double frequency;
    double low;
    double high;
  };
  const Case cases[] = {
      {"low-pass passes below", synth::Biquad::lowPass(1000.0, 0.707), 100.0, 0.97, 1.03},
      {"low-pass stops above", synth::Biquad::lowPass(1000.0, 0.707), 10000.0, 0.0, 0.02},
      {"low-pass at its cutoff", synth::Biquad::lowPass(1000.0, 0.707), 1000.0, 0.68, 0.73},
      {"high-pass stops below", synth::Biquad::highPass(5000.0, 0.707), 200.0, 0.0, 0.01},
      {"high-pass passes above", synth::Biquad::highPass(5000.0, 0.707), 15000.0, 0.9, 1.1},
      {"band-pass peaks at its centre", synth::Biquad::bandPass(1500.0, 2.0), 1500.0, 0.97, 1.03},
      {"band-pass stops far below", synth::Biquad::bandPass(1500.0, 2.0), 100.0, 0.0, 0.05},
      {"band-pass stops far above", synth::Biquad::bandPass(1500.0, 2.0), 15000.0, 0.0, 0.05},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const double gain = gainAt(c.filter, c.frequency);
    EXPECT_GE(gain, c.low);
    EXPECT_LE(gain, c.high);
  }
}

TEST(Synth, NoiseIsRepeatableBoundedAndCentred) {
  synth::Noise a(1234), b(1234), c(99);
  double sum = 0.0;
  bool differs = false;
  for (int i = 0; i < 100000; ++i) {
    const double x = a.next();
    ASSERT_EQ(x, b.next());
    differs |= x != c.next();
    ASSERT_GE(x, -1.0);
    ASSERT_LT(x, 1.0);
    sum += x;
  }
  EXPECT_TRUE(differs);
  EXPECT_NEAR(sum / 100000, 0.0, 0.01);
}

TEST(Synth, WaveformsStayInRangeAndAverageNearZero) {
  const double step = 523.25 / synth::kRate;
  double phase = 0.0, sawSum = 0.0, pulseSum = 0.0;
  const int frames = 44100;
  for (int i = 0; i < frames; ++i) {
    const double s = synth::saw(phase, step);
    const double p = synth::pulse(phase, step, 0.5);
    ASSERT_LE(std::fabs(s), 1.0 + 1e-9);
    ASSERT_LE(std::fabs(p), 1.0 + 1e-9);
    sawSum += s;
    pulseSum += p;
    phase = std::fmod(phase + step, 1.0);
  }
  EXPECT_NEAR(sawSum / frames, 0.0, 0.01);
  EXPECT_NEAR(pulseSum / frames, 0.0, 0.01);
}

TEST(Synth, ScalingReachesThePeakAndKeepsTheShape) {
  const synth::Signal s = {0.0, 0.25, -0.5, 0.1};
  const std::vector<int16_t> pcm = synth::toPcm16(s, 0.5);
  EXPECT_EQ(pcm, (std::vector<int16_t>{0, 8192, -16384, 3277}));
  EXPECT_EQ(synth::toPcm16({0.0, 0.0}, 0.9), (std::vector<int16_t>{0, 0}));
}

TEST(Synth, FadeOutEndsInSilenceAndLeavesTheStart) {
  synth::Signal s(100, 1.0);
  synth::fadeOut(s, 10);
  EXPECT_EQ(s[89], 1.0);
  EXPECT_DOUBLE_EQ(s[90], 1.0);
  EXPECT_DOUBLE_EQ(s[95], 0.5);
  EXPECT_DOUBLE_EQ(s[99], 0.1);
  synth::Signal shortOne(3, 1.0);
  synth::fadeOut(shortOne, 10);  // longer than the signal: the whole signal fades
  EXPECT_DOUBLE_EQ(shortOne[0], 1.0);
  EXPECT_LT(shortOne[2], 0.5);
}

}  // namespace
