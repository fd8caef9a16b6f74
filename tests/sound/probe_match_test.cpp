// The bench's reading of the probe: a note-driven change is found by where
// it changes the picture, beside animations that change more of it.
#include <gtest/gtest.h>

#include <string>

#include "expected_changes.h"
#include "music/trigger_timeline.h"
#include "screen_changes.h"

namespace {

// The cells of the rectangle [x0, x1) x [y0, y1) of the window, in pixels.
ProbeCells area(int x0, int y0, int x1, int y1) {
  ProbeCells cells;
  constexpr int columns = kProbeWidth / kProbeStep;
  for (int y = y0 / kProbeStep; y < y1 / kProbeStep; ++y) {
    for (int x = x0 / kProbeStep; x < x1 / kProbeStep; ++x) cells.set(static_cast<size_t>(y * columns + x));
  }
  return cells;
}

TEST(ProbeMatch, AChangeIsTheOneThatChangesWhereItsSceneDraws) {
  const ProbeCells text = area(128, 64, 368, 320);     // greetings cleared
  const ProbeCells dancer = area(400, 300, 560, 480);  // a dancer's step
  const ProbeCells credit = area(0, 240, 320, 272);    // a credit typed
  const ProbeCells whole = area(0, 0, kProbeWidth, kProbeHeight);
  const struct {
    const char* what;
    std::vector<ScreenChange> changes;
    ProbeCells expected;
    double found;  // the wall time of the change taken; negative: none
  } cases[] = {
      {"a text cleared beside bigger steps", {{9.3, dancer}, {10.004, text}, {10.1, dancer | text}}, text, 10.004},
      {"a text cleared after the whole picture changed", {{9.5, whole}, {10.004, text}}, text, 10.004},
      {"a credit with a step in its frame", {{9.9, dancer}, {10.01, credit | dancer}, {10.2, dancer}}, credit, 10.01},
      {"only other changes near", {{9.9, dancer}, {10.2, dancer}}, credit, -1},
      {"the change too far from the note", {{9.9, dancer}, {11.6, credit}}, credit, -1},
  };
  for (const auto& c : cases) {
    double likeness = 0;
    const ScreenChange* found = likestChangeNear(c.changes, 10.0, 1.5, c.expected, &likeness);
    if (c.found < 0) {
      EXPECT_EQ(found, nullptr) << c.what;
    } else {
      ASSERT_NE(found, nullptr) << c.what;
      EXPECT_DOUBLE_EQ(found->wall, c.found) << c.what;
    }
  }
}

// From the show itself: a change compared across the wrong frames, or timed
// on a count that never shows, finds no cells or the wrong ones.
TEST(ProbeMatch, EveryExpectedChangeChangesThePictureWhereItsSceneDraws) {
  const std::string show = SHOW_DIR;
  const TriggerTimeline timeline = scanTriggerTimelineFile((show + "/demo.xm").c_str(), 44100);
  ASSERT_TRUE(timeline.loaded);
  const std::vector<ExpectedChange> expected = expectedChanges(show, timeline);
  // The opening's middle pictures are drawn at the centre, keyed on black.
  const ProbeCells middle = area(160, 120, 480, 360);
  int scenes = 0, pictures = 0;
  for (const ExpectedChange& e : expected) {
    EXPECT_GT(e.cells.count(), 0u) << e.name << " at " << e.showTime;
    if (e.scene) {
      ++scenes;
      continue;
    }
    ++pictures;
    EXPECT_GE((e.cells & middle).count() * 10, e.cells.count() * 9) << "at " << e.showTime;
  }
  EXPECT_EQ(scenes, 6);
  EXPECT_GT(pictures, 30);
}

}  // namespace
