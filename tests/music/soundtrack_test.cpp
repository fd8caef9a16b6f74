// The composed soundtrack keeps the show's timeline: the scenes change on
// notes that fall where the show needs them. Replayed offline through the
// same trigger detection the live player uses.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "arrangement.h"
#include "instruments.h"
#include "music/trigger_timeline.h"
#include "xm/xm_writer.h"

namespace {

constexpr int kRate = 44100;
constexpr double kBarSeconds = soundtrack::kRowsPerBar * soundtrack::kSpeed * 2.5 / soundtrack::kBpm;

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
