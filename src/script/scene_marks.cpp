#include "script/scene_marks.h"

#include <algorithm>
#include <cmath>

#include "music/trigger_index.h"
#include "music/trigger_timeline.h"
#include "script/scene_counts.h"

namespace {

// "After 86 s" holds from the first reading above it; a millisecond later it
// holds on every clock, whatever its rounding.
constexpr double kClosingLinesShown = kClosingLinesAfter + 0.001;

}  // namespace

std::vector<SceneMark> sceneMarks(const TriggerTimeline& timeline, double loadDelay) {
  const struct {
    const char* name;
    int instrument;
    int hit;  // the note whose count first reaches the threshold
  } counted[] = {
      {"background gone", 1, kBackgroundGone}, {"title", 1, kTitleStart},
      {"greetings", 1, kGreetingsStart},       {"closing", 1, kClosingStart},
      {"first credit", 4, kFirstCredit + 1},   {"second credit", 4, kSecondCredit + 1},
  };
  std::vector<SceneMark> marks{{"opening", 0.0}};
  const TriggerIndex notes(timeline);
  for (const auto& c : counted) {
    const double musicTime = timeCountReaches(timeline, notes, c.instrument, c.hit);
    if (musicTime >= 0.0) marks.push_back({c.name, musicTime + loadDelay});
  }
  marks.push_back({"closing lines", kClosingLinesShown});
  std::stable_sort(marks.begin(), marks.end(),
                   [](const SceneMark& a, const SceneMark& b) { return a.showTime < b.showTime; });
  return marks;
}

double timeCountReaches(const TriggerTimeline& timeline, const TriggerIndex& notes, int instrument, int hit) {
  double musicTime = timeline.timeOfHit(instrument, hit);
  if (musicTime < 0.0) return musicTime;
  // frame / rate * rate may come out a hair below the frame.
  while (notes.hitsUpTo(instrument, musicTime) < hit) musicTime = std::nextafter(musicTime, 1e9);
  return musicTime;
}

const char* sceneNameFor(int32_t hits1) {
  if (hits1 < kBackgroundGone) return "opening";
  if (hits1 < kTitleStart) return "opening, no background";
  if (hits1 < kGreetingsStart) return "title";
  if (hits1 < kClosingStart) return "greetings";
  return "closing";
}
