#include "platform/loading_progress.h"

// In page.js: counts the picture for the start card and now and then lets the
// page draw (Asyncify).
extern "C" void pixelfolk_page_picture_loaded();

namespace platform {

void reportPictureLoaded() { pixelfolk_page_picture_loaded(); }

}  // namespace platform
