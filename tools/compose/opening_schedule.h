// The opening's middle-picture schedule of a soundtrack: the scene's picture
// rule applied, frame by frame, to the instrument-1 count of an offline
// replay, as a show drawing at a fixed frame rate would see it.
#pragma once

#include <vector>

#include "music/trigger_timeline.h"

struct PictureStretch {
  double start = 0.0;  // time of the first frame that shows the picture
  double end = 0.0;    // time of the first frame that does not
  int picture = 0;
  int count = -1;       // the even count that selected it; -1 for the initial picture
  double onset = -1.0;  // music time of the note that made that count, or -1
};

struct OpeningSchedule {
  std::vector<PictureStretch> stretches;  // in time order, each a different picture from the one before
  double firstNote = -1.0;                // the first instrument-1 note, or -1 if none
  double end = 0.0;                       // the first frame that leaves the opening (or the last frame looked at)
};

// Frames at k / fps seconds from 0; a frame reads the count of every
// instrument-1 note that started at or before its time. Stops at the first
// frame whose count reaches `openingEndCount` or after `maxSeconds`.
OpeningSchedule openingSchedule(const TriggerTimeline& timeline, double fps, int openingEndCount, double maxSeconds);
