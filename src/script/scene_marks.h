// The moments the script changes what it shows, in show time: the count
// marks of scene.cpp (scene_counts.h) placed on the soundtrack's notes. A
// rehearsal jumps between them and loops from one to the next.
#pragma once

#include <cstdint>
#include <vector>

class TriggerIndex;
struct TriggerTimeline;

struct SceneMark {
  const char* name;
  double showTime;  // the first show time at which the change is drawn
};

// From the opening at 0 s through the closing lines, in increasing time; a
// mark whose note never comes is left out. `loadDelay` is the show time that
// passes before the music starts.
std::vector<SceneMark> sceneMarks(const TriggerTimeline& timeline, double loadDelay = 0.0);

// The first music time at which an instrument's count has surely reached
// `hit`, or a negative value if it never does.
double timeCountReaches(const TriggerTimeline& timeline, const TriggerIndex& notes, int instrument, int hit);

// The scene the script draws for these counts.
const char* sceneNameFor(int32_t hits1);
