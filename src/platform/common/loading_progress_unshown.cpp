#include "platform/loading_progress.h"

namespace platform {

// A desktop program shows nothing until its window opens.
void reportPictureLoaded() {}

void reportMusicRendered(double) {}

}  // namespace platform
