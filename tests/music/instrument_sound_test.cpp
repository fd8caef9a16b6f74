// The soundtrack's instruments sound at the pitch of their notes, and looped
// ones join their loops without a jump.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "instruments.h"
#include "music/module_renderer.h"
#include "synth.h"
#include "xm/xm_writer.h"

namespace {

constexpr int kRate = 44100;

// Plays one note of an instrument and returns `seconds` of mono sound.
std::vector<double> playNote(soundtrack::InstrumentIndex instrument, int note, double seconds) {
  xm::Module m;
  m.channels = 2;
  m.instruments = soundtrack::makeInstruments();
  m.patterns.push_back(xm::Pattern(32, 2));
  m.orders = {0};
  m.patterns[0].at(0, 0).note = static_cast<uint8_t>(note);
  m.patterns[0].at(0, 0).instrument = soundtrack::trackerNumber(instrument);
  std::string error;
  const std::vector<uint8_t> bytes = xm::writeModule(m, &error);
  ModuleRenderer renderer;
  EXPECT_TRUE(renderer.loadMemory(bytes.data(), bytes.size(), kRate)) << error;
  std::vector<int16_t> tick(static_cast<size_t>(renderer.maxTickFrames()) * 2);
  std::vector<double> mono;
  RenderedTick info;
  while (mono.size() < seconds * kRate && renderer.renderTick(tick.data(), renderer.maxTickFrames(), &info) &&
         info.frames > 0) {
    for (int i = 0; i < info.frames; ++i) mono.push_back((tick[2 * i] + tick[2 * i + 1]) / 65536.0);
  }
  return mono;
}

// The fundamental from the best normalised autocorrelation between half and
// twice the expected period, refined between neighbouring lags.
double measureFrequency(const std::vector<double>& s, size_t from, size_t length, double expected) {
  const int shortest = static_cast<int>(kRate / expected / 1.6);
  const int longest = static_cast<int>(kRate / expected * 1.6);
  std::vector<double> score(longest + 2, 0.0);
  for (int lag = shortest - 1; lag <= longest + 1; ++lag) {
    double product = 0.0, energyA = 0.0, energyB = 0.0;
    for (size_t i = from; i < from + length; ++i) {
      product += s[i] * s[i + lag];
      energyA += s[i] * s[i];
      energyB += s[i + lag] * s[i + lag];
    }
    score[lag] = product / std::sqrt(energyA * energyB + 1e-30);
  }
  int best = shortest;
  for (int lag = shortest; lag <= longest; ++lag) {
    if (score[lag] > score[best]) best = lag;
  }
  const double a = score[best - 1], b = score[best], c = score[best + 1];
  const double offset = 0.5 * (a - c) / (a - 2.0 * b + c);
  return kRate / (best + offset);
}

struct PitchCase {
  soundtrack::InstrumentIndex instrument;
  int note;
  double from;  // seconds: past the attack
};

TEST(SoundtrackInstruments, PitchedInstrumentsPlayTheirNotesInTune) {
  const PitchCase cases[] = {
      {soundtrack::kPluck, xm::note(4, 9), 0.01},
      {soundtrack::kPluck, xm::note(5, 4), 0.01},  // E-5
      {soundtrack::kBass, xm::note(1, 9), 0.02},
      {soundtrack::kBass, xm::note(2, 0), 0.02},   // C-2
      {soundtrack::kPad, xm::note(3, 9), 0.3},
      {soundtrack::kPad, xm::note(4, 4), 0.3},     // E-4
      {soundtrack::kLead, xm::note(5, 9), 0.1},
      {soundtrack::kLead, xm::note(5, 0), 0.1},    // C-5
  };
  for (const PitchCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "instrument " << c.instrument << " note " << c.note);
    const double expected = synth::noteFrequency(c.note);
    const std::vector<double> sound = playNote(c.instrument, c.note, c.from + 0.3);
    const size_t length = static_cast<size_t>(0.1 * kRate);
    ASSERT_GT(sound.size(), static_cast<size_t>(c.from * kRate) + length + kRate / 20);
    const double measured = measureFrequency(sound, static_cast<size_t>(c.from * kRate), length, expected);
    EXPECT_NEAR(measured / expected, 1.0, 0.005) << "measured " << measured << " Hz";
  }
}

TEST(SoundtrackInstruments, LoopsJoinWithoutAJump) {
  for (const xm::Instrument& ins : soundtrack::makeInstruments()) {
    const xm::Sample& s = ins.sample;
    if (s.loop == xm::Loop::none) continue;
    SCOPED_TRACE(ins.name);
    ASSERT_TRUE(s.sixteenBit);
    int largestStep = 0;
    for (size_t i = s.loopStart + 1; i < s.loopStart + s.loopLength; ++i) {
      largestStep = std::max(largestStep, std::abs(s.pcm16[i] - s.pcm16[i - 1]));
    }
    const int seam = std::abs(s.pcm16[s.loopStart] - s.pcm16[s.loopStart + s.loopLength - 1]);
    EXPECT_LE(seam, largestStep);
  }
}

TEST(SoundtrackInstruments, OneShotsStartAndEndInSilence) {
  for (const xm::Instrument& ins : soundtrack::makeInstruments()) {
    const xm::Sample& s = ins.sample;
    if (s.loop != xm::Loop::none) continue;
    SCOPED_TRACE(ins.name);
    ASSERT_FALSE(s.pcm16.empty());
    EXPECT_LE(std::abs(s.pcm16.back()), 64);  // no click when the sample stops
    int loudest = 0;
    for (int16_t v : s.pcm16) loudest = std::max(loudest, std::abs(static_cast<int>(v)));
    EXPECT_GT(loudest, 16000);  // every one uses most of the sample's range
  }
}

}  // namespace
