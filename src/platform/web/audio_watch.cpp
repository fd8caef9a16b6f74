#include "platform/sdl/audio_watch.h"

namespace platform {

bool audioOutputWatched() { return false; }

}  // namespace platform
