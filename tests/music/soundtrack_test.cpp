// The composed soundtrack keeps the show's timeline: the scenes change on
// notes that fall where the show needs them. Replayed offline through the
// same trigger detection the live player uses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "arrangement.h"
#include "instruments.h"
#include "music/trigger_timeline.h"
#include "opening_schedule.h"
#include "xm/xm_writer.h"

namespace {

constexpr int kRate = 44100;
constexpr double kBarSeconds = soundtrack::kRowsPerBar * soundtrack::kSpeed * 2.5 / soundtrack::kBpm;
constexpr double kFps = 60.0;
constexpr int kTitleCount = 706;

class Soundtrack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    bytes_ = new std::vector<uint8_t>(xm::writeModule(soundtrack::composeSoundtrack(), &error));
    ASSERT_FALSE(bytes_->empty()) << error;
    timeline_ = new TriggerTimeline(scanTriggerTimeline(bytes_->data(), bytes_->size(), kRate));
    ASSERT_TRUE(timeline_->loaded);
  }
  static void TearDownTestSuite() {
    delete timeline_;
    delete bytes_;
  }

  static double pluck(int n) { return timeline_->timeOfHit(soundtrack::kPluck, n); }
  static double bass(int n) { return timeline_->timeOfHit(soundtrack::kBass, n); }

  static std::vector<uint8_t>* bytes_;
  static TriggerTimeline* timeline_;
};

std::vector<uint8_t>* Soundtrack::bytes_ = nullptr;
TriggerTimeline* Soundtrack::timeline_ = nullptr;

TEST_F(Soundtrack, TheCountedInstrumentsAreTheSecondAndTheFifth) {
  EXPECT_EQ(soundtrack::kPluck, 1);
  EXPECT_EQ(soundtrack::kBass, 4);
}

TEST_F(Soundtrack, TheOpeningEndsWithABreakBeforeTheDrop) {
  EXPECT_GE(pluck(704), 38.0);
  EXPECT_LE(pluck(704), 44.0);
  EXPECT_GE(pluck(705) - pluck(704), 0.5);
  EXPECT_DOUBLE_EQ(pluck(706), soundtrack::kDropBar * kBarSeconds);
  // Nothing else of the counted instrument rings between the break's note and the drop.
  EXPECT_GT(pluck(706), pluck(705));
}

TEST_F(Soundtrack, TheLaterScenesAndTheCreditsFallInTheirWindows) {
  EXPECT_GE(pluck(960), 52.0);
  EXPECT_LE(pluck(960), 60.0);
  EXPECT_GE(pluck(1180), 66.0);
  EXPECT_LE(pluck(1180), 76.0);
  ASSERT_GT(bass(150), 0.0);
  EXPECT_GE(bass(142), pluck(1180) + 2.0);
  EXPECT_GE(bass(150), bass(142) + 2.0);
  EXPECT_LT(bass(150), 83.0);
}

TEST_F(Soundtrack, SceneChangesLandOnSectionDownbeats) {
  EXPECT_DOUBLE_EQ(pluck(960), soundtrack::kMelodyBar * kBarSeconds);
  EXPECT_DOUBLE_EQ(pluck(1180), soundtrack::kOutroBar * kBarSeconds);
}

// The opening's middle picture, as a show drawing 60 frames a second sees it:
// it must keep changing with the music from the first bar to the break.
class OpeningPictures : public Soundtrack {
 protected:
  static void SetUpTestSuite() {
    Soundtrack::SetUpTestSuite();
    schedule_ = new OpeningSchedule(openingSchedule(*timeline_, kFps, kTitleCount, timeline_->lengthSeconds()));
  }
  static void TearDownTestSuite() {
    delete schedule_;
    Soundtrack::TearDownTestSuite();
  }
  static const std::vector<PictureStretch>& stretches() { return schedule_->stretches; }
  static double breakStart() { return soundtrack::kBreakBar * kBarSeconds; }

  static OpeningSchedule* schedule_;
};

OpeningSchedule* OpeningPictures::schedule_ = nullptr;

TEST_F(OpeningPictures, AllElevenPicturesAppearSeveralTimesBeforeTheBreak) {
  std::map<int, int> times;
  for (const PictureStretch& s : stretches()) {
    if (s.start < breakStart()) ++times[s.picture];
  }
  EXPECT_EQ(times.size(), 11u);
  for (int picture = 6; picture <= 16; ++picture) EXPECT_GE(times[picture], 4) << "picture " << picture;
}

TEST_F(OpeningPictures, NoPictureStaysLongerThanABarOrShorterThanAFifthOfASecond) {
  ASSERT_GE(stretches().size(), 2u);
  EXPECT_EQ(timeline_->timeOfHit(soundtrack::kPluck, 1), 0.0) << "the arpeggio starts with the music";
  // Every stretch but the last ends with a change; one frame's rounding is allowed.
  for (size_t i = 0; i + 1 < stretches().size(); ++i) {
    const PictureStretch& s = stretches()[i];
    EXPECT_LE(s.end - s.start, kBarSeconds + 1.0 / kFps) << "picture " << s.picture << " from " << s.start << " s";
    EXPECT_GE(s.end - s.start, 0.2) << "picture " << s.picture << " from " << s.start << " s";
  }
  // The last one comes within the bar before the break and holds through it
  // until the drop ends the opening.
  const PictureStretch& last = stretches().back();
  EXPECT_GE(last.start, breakStart() - kBarSeconds);
  EXPECT_LT(last.start, breakStart());
  EXPECT_NEAR(schedule_->end, pluck(kTitleCount), 1.0 / kFps);
}

TEST_F(OpeningPictures, EveryChangeLandsOnAPluckOnHalfBeats) {
  const double halfBeat = kBarSeconds / 8;
  for (size_t i = 1; i < stretches().size(); ++i) {
    const PictureStretch& s = stretches()[i];
    ASSERT_GE(s.count, 1) << "a change is made by an even count of notes";
    EXPECT_GE(s.start - s.onset, 0.0) << s.start;
    EXPECT_LT(s.start - s.onset, 1.0 / kFps) << "shown on the first frame after its note, at " << s.start;
    const double halfBeats = s.onset / halfBeat;
    EXPECT_NEAR(halfBeats, std::round(halfBeats), 1e-9) << "the note at " << s.onset << " s";
  }
}

TEST_F(Soundtrack, ItLastsAboutEightyEightSecondsAndEndsBeforeNinetyThree) {
  EXPECT_NEAR(timeline_->lengthSeconds(), soundtrack::kBars * kBarSeconds, 0.001);
  EXPECT_GT(timeline_->lengthSeconds(), 85.0);
  EXPECT_LT(timeline_->lengthSeconds(), 93.0);
}

TEST_F(Soundtrack, EveryInstrumentIsPlayed) {
  std::set<int> played;
  for (const TimedTrigger& t : timeline_->triggers) played.insert(t.instrument);
  for (int i = 0; i < soundtrack::kInstrumentCount; ++i) EXPECT_TRUE(played.count(i)) << "instrument " << i;
  EXPECT_EQ(played.size(), static_cast<size_t>(soundtrack::kInstrumentCount));
}

TEST_F(Soundtrack, ComposingAgainGivesTheSameBytes) {
  std::string error;
  EXPECT_EQ(xm::writeModule(soundtrack::composeSoundtrack(), &error), *bytes_);
}

#ifdef PIXELFOLK_BUILT_SOUNDTRACK
TEST_F(Soundtrack, TheBuiltFileIsTheCurrentComposition) {
  std::FILE* file = std::fopen(PIXELFOLK_BUILT_SOUNDTRACK, "rb");
  ASSERT_NE(file, nullptr) << PIXELFOLK_BUILT_SOUNDTRACK;
  std::vector<uint8_t> built;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) built.push_back(static_cast<uint8_t>(c));
  std::fclose(file);
  EXPECT_EQ(built, *bytes_);
}
#endif

}  // namespace
