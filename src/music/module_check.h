// What a loaded module must not hold when libxmp 4.5.0 plays it, made
// harmless before the first tick.
//
// A sample whose data is cut off by the end of the file keeps its length and
// loop but gets no data: the loader skips it. The mixer leaves such a voice
// silent, but ProTracker's invert-loop effect (EFx) flips bytes inside the
// loop of the channel's sample on every few ticks, through that missing data,
// on the thread that plays. Such samples are emptied (no length, no loop), so
// that no note selects them and no effect writes into them; they were silent
// anyway, so nothing that could be heard is lost.
#pragma once

#include <xmp.h>

// Returns the number of samples emptied.
int silenceSamplesWithoutData(xmp_module& module);
