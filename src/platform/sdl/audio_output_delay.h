// The delay the SDL output reports for the device it plays on, for the
// desktop's audioOutputLatency.
#pragma once

namespace platform {

// Seconds from a callback's return to the start of its buffer leaving the
// speakers: 0 while the output is silent or closed.
double sdlOutputDelay();

}  // namespace platform
