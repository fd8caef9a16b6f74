#include "platform/audio_latency.h"

// In page.js: measured on the page's audio context and script processor.
extern "C" double pixelfolk_page_audio_latency();

namespace platform {

double audioOutputLatency() { return pixelfolk_page_audio_latency(); }

// The page keeps one audio context for good.
uint64_t audioOutputFreshStarts() { return 0; }

double audioOutputWanderBuffers() { return kBurstyWanderBuffers; }

}  // namespace platform
