// What each note-driven picture change does to the probe's coarse picture,
// from the show replayed on faked time (the capture tool's replay) at 60
// frames a second: the cells that change in the first frame with the note's
// count. A scene change that clears a few lines of text changes less of the
// picture than a dancer's next step, so the bench finds a change by where it
// changes the picture, not by how much.
#pragma once

#include <string>
#include <vector>

#include "screen_changes.h"

struct TriggerTimeline;

struct ExpectedChange {
  std::string name;     // the scene mark's, or "middle picture"
  bool scene = false;   // a scene mark's
  double showTime = 0;  // when its note is heard
  double within = 0;    // how far from its note to look for it: nearer than any other change like it
  ProbeCells cells;
};

// The scene marks that come on a note, and every change of the opening's
// middle picture at least three frames from those beside it, in time order;
// from the show in `showDir`, whose soundtrack `timeline` is.
std::vector<ExpectedChange> expectedChanges(const std::string& showDir, const TriggerTimeline& timeline);
