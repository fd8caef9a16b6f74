// The replay of the middle-picture rule over a hand-made list of note
// triggers: what a 60 fps show would show, and when.
#include "opening_schedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kRate = 44100;

struct Note {
  double seconds;
  int instrument;
};

TriggerTimeline timelineOf(const std::vector<Note>& notes, double length = 10.0) {
  TriggerTimeline t;
  t.loaded = true;
  t.rate = kRate;
  t.lengthFrames = static_cast<int64_t>(length * kRate);
  for (const Note& n : notes)
    t.triggers.push_back(TimedTrigger{static_cast<int64_t>(n.seconds * kRate), 0, n.instrument});
  return t;
}

TEST(OpeningSchedule, FollowsTheSceneRuleFrameByFrame) {
  const struct {
    const char* what;
    std::vector<Note> notes;
    std::vector<int> pictures;    // in order of appearance
    std::vector<double> changes;  // start of each stretch after the first
  } cases[] = {
      {"no notes: count 0 shows picture 6", {}, {6}, {}},
      {"an odd first count keeps the initial picture", {{0.0, 1}}, {7}, {}},
      {"two notes on one tick move the count by two at once", {{0.0, 1}, {0.5, 1}, {0.5, 1}, {1.0, 1}}, {7, 10}, {1.0}},
      {"an even count shows from the first frame at or after its note",
       {{0.0, 1}, {0.51, 1}, {0.6, 1}},
       {7, 8},
       {31.0 / 60.0}},
      {"other instruments do not count", {{0.0, 1}, {0.3, 4}, {0.4, 0}}, {7}, {}},
      {"an even count repeating a picture is no change", {{0.0, 1}, {0.2, 1}, {0.2, 1}, {0.2, 1}}, {7, 10}, {0.2}},
  };
  for (const auto& c : cases) {
    const OpeningSchedule s = openingSchedule(timelineOf(c.notes), 60.0, 706, 2.0);
    ASSERT_EQ(s.stretches.size(), c.pictures.size()) << c.what;
    for (size_t i = 0; i < c.pictures.size(); ++i) EXPECT_EQ(s.stretches[i].picture, c.pictures[i]) << c.what;
    EXPECT_EQ(s.stretches.front().start, 0.0) << c.what;
    for (size_t i = 1; i < c.pictures.size(); ++i) {
      EXPECT_NEAR(s.stretches[i].start, c.changes[i - 1], 1e-12) << c.what;
      EXPECT_EQ(s.stretches[i - 1].end, s.stretches[i].start) << c.what;
    }
    EXPECT_GT(s.end, 2.0) << c.what;
  }
}

TEST(OpeningSchedule, NamesTheCountAndTheNoteBehindEachChange) {
  const OpeningSchedule s = openingSchedule(timelineOf({{0.0, 1}, {0.25, 1}, {0.25, 1}, {0.5, 1}}), 60.0, 706, 1.0);
  ASSERT_EQ(s.stretches.size(), 2u);
  EXPECT_EQ(s.stretches[0].count, -1) << "the initial picture";
  EXPECT_EQ(s.stretches[1].count, 4);
  EXPECT_DOUBLE_EQ(s.stretches[1].onset, 0.5);
  EXPECT_EQ(s.stretches[1].picture, 10);
  EXPECT_DOUBLE_EQ(s.firstNote, 0.0);
}

TEST(OpeningSchedule, EndsAtTheFirstFrameThatLeavesTheOpening) {
  std::vector<Note> notes;
  for (int k = 0; k < 10; ++k) notes.push_back({0.1 * k, 1});
  const OpeningSchedule s = openingSchedule(timelineOf(notes), 60.0, 6, 5.0);
  // The sixth note comes at 0.5 s: frame 30 is the first to find count 6.
  EXPECT_DOUBLE_EQ(s.end, 0.5);
  EXPECT_EQ(s.stretches.back().end, 0.5);
  for (const PictureStretch& st : s.stretches) EXPECT_LT(st.count, 6);
}

TEST(OpeningSchedule, AnUnloadedTimelineGivesNothing) {
  const OpeningSchedule s = openingSchedule(TriggerTimeline{}, 60.0, 706, 5.0);
  EXPECT_TRUE(s.stretches.empty());
  EXPECT_LT(s.firstNote, 0.0);
}

}  // namespace
