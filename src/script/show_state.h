// Every piece of state the show carries from one frame to the next, outside
// the frame clock: the instrument counters, the scroll offsets, the
// typewriter, the random sequence, the opening's middle picture and each
// animation's playback position. Putting it all back is what makes a show
// time reachable again: seeking backwards is this reset and a replay.
#pragma once

class DataController;

// Puts all of it back to what the show's first frame finds.
void resetShowState(DataController& data);
