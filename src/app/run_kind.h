// Which kind of run this is, read where their behaviour differs.
#pragma once

enum class RunKind {
  plain,      // the show from its start on the desktop's own loop: nothing seeks
  fromTime,   // --seek: the show from a start time, no keys, the end ends it
  rehearsal,  // --rehearse: keys, overlay, live reload; the end pauses
  player,     // a page's player: Space, Left, Right, Home and the page's controls; the end ends it
};
