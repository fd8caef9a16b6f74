#include "expected_changes.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "music/trigger_index.h"
#include "render/screen.h"
#include "script/scene_counts.h"
#include "script/scene_marks.h"
#include "show_replay.h"

namespace {

constexpr HistoryRate kRate{60, 1};
// Scene changes are seconds apart.
constexpr double kSceneWithin = 1.5;
constexpr double kNearestOther = 3.0 * kRate.denominator / kRate.numerator;

// The opening's middle picture changes where the count of instrument 1
// lands on an even number (script/middle_picture.h); the notes mostly come
// two on a tick, so that is about once a second. The last change, as the
// background goes, is the scene mark's.
std::vector<ExpectedChange> middlePictureChanges(const TriggerTimeline& timeline) {
  const TriggerIndex notes(timeline);
  std::vector<double> times;
  for (int hit = 2; hit <= kBackgroundGone; hit += 2) {
    const double t = timeCountReaches(timeline, notes, 1, hit);
    if (t >= 0.0 && notes.hitsUpTo(1, t) == hit) times.push_back(t);
  }
  std::vector<ExpectedChange> changes;
  for (size_t i = 0; i + 1 < times.size(); ++i) {
    const double before = i > 0 ? times[i] - times[i - 1] : 2 * kSceneWithin;
    const double nearest = std::min({before, times[i + 1] - times[i], 2 * kSceneWithin});
    if (nearest >= kNearestOther) changes.push_back({"middle picture", false, times[i], nearest / 2, {}});
  }
  return changes;
}

}  // namespace

std::vector<ExpectedChange> expectedChanges(const std::string& showDir, const TriggerTimeline& timeline) {
  std::vector<ExpectedChange> expected = middlePictureChanges(timeline);
  for (const SceneMark& mark : sceneMarks(timeline)) {
    // The opening starts the show and the closing lines come by the clock.
    if (mark.showTime > 0.0 && mark.showTime < kClosingLinesAfter) {
      expected.push_back({mark.name, true, mark.showTime, kSceneWithin, {}});
    }
  }
  std::sort(expected.begin(), expected.end(),
            [](const ExpectedChange& a, const ExpectedChange& b) { return a.showTime < b.showTime; });
  if (expected.empty()) return expected;

  // The replay loads the show from the current directory.
  char here[PATH_MAX];
  if (getcwd(here, sizeof here) == nullptr || chdir(showDir.c_str()) != 0) return {};
  ShowReplay replay(0.0);
  std::vector<uint8_t> last;
  long frame = 0;
  replay.seek(0.0, kRate);
  for (ExpectedChange& change : expected) {
    // The first frame at or after the note, and the one before it.
    while (historyFrameTime(frame, kRate) < change.showTime) {
      last = probePicture(Screen::pixels);
      replay.renderFrame(historyFrameTime(++frame, kRate));
    }
    change.cells = visiblyChanged(last.data(), probePicture(Screen::pixels).data());
  }
  if (chdir(here) != 0) std::abort();
  return expected;
}
