// The delay the SDL output reports for the device it plays on, for the
// desktop's audioOutputLatency.
#pragma once

#include <cstdint>

namespace platform {

// Called from the callback: seconds from now to the first frame of its buffer
// leaving the speakers; 0 while the output is silent or closed.
double sdlOutputDelay();

// Whether sdlOutputDelay comes from a real device's history of pulls, long
// enough to keep it steady from one callback to the next.
bool sdlOutputSteady();

// Fresh starts since the process began: streams opened, and gaps heard in one.
uint64_t sdlOutputFreshStarts();

}  // namespace platform
