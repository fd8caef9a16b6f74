#include "opening_schedule.h"

#include <cstdint>

#include "script/middle_picture.h"

namespace {
constexpr int kCountedInstrument = 1;
}

OpeningSchedule openingSchedule(const TriggerTimeline& timeline, double fps, int openingEndCount, double maxSeconds) {
  OpeningSchedule schedule;
  schedule.firstNote = timeline.timeOfHit(kCountedInstrument, 1);
  if (!timeline.loaded || timeline.rate <= 0 || fps <= 0.0) return schedule;

  int32_t count = 0;
  double lastOnset = -1.0;
  size_t next = 0;  // the first trigger not yet counted
  int32_t shown = kInitialMiddlePicture;
  for (int64_t frame = 0;; ++frame) {
    const double time = static_cast<double>(frame) / fps;
    schedule.end = time;
    if (time > maxSeconds) break;
    // Compared as whole numbers (note frame x fps against frame x rate), so a
    // note that falls exactly on a frame's time counts in that frame.
    while (next < timeline.triggers.size() &&
           static_cast<double>(timeline.triggers[next].frame) * fps <= static_cast<double>(frame) * timeline.rate) {
      if (timeline.triggers[next].instrument == kCountedInstrument) {
        ++count;
        lastOnset = static_cast<double>(timeline.triggers[next].frame) / timeline.rate;
      }
      ++next;
    }
    if (count >= openingEndCount) break;

    const int32_t picture = middlePictureAfter(count, shown);
    if (schedule.stretches.empty() || picture != shown) {
      if (!schedule.stretches.empty()) schedule.stretches.back().end = time;
      const bool selected = count % 2 == 0;
      schedule.stretches.push_back(
          PictureStretch{time, time, picture, selected ? count : -1, selected && count > 0 ? lastOnset : -1.0});
    }
    shown = picture;
  }
  if (!schedule.stretches.empty()) schedule.stretches.back().end = schedule.end;
  return schedule;
}
