// How late the sound of a rendered buffer is heard: the audio callback writes
// the music of the moment its buffer will leave the speakers.
#pragma once

namespace platform {

// Seconds from the audio callback's return to the moment the buffer it filled
// starts to leave the speakers: where the system reports it (a browser page:
// its script processor's buffer and its audio context's base and output
// latencies), that; on a desktop, where SDL reports nothing, the output's
// estimate from its buffer and what the sound server was measured to add; 0
// while the output is silent. May change while the sound plays (a reopened
// device); called from the audio callback.
double audioOutputLatency();

}  // namespace platform
