#include "platform/audio_latency.h"

#include "platform/sdl/audio_output_delay.h"

namespace platform {

double audioOutputLatency() { return sdlOutputDelay(); }

uint64_t audioOutputFreshStarts() { return sdlOutputFreshStarts(); }

double audioOutputWanderBuffers() { return sdlOutputSteady() ? 0.0 : kBurstyWanderBuffers; }

}  // namespace platform
