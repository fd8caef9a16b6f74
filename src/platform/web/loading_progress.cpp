#include "platform/loading_progress.h"

// In page.js: counts the picture for the start card and now and then lets the
// page draw (Asyncify).
extern "C" void pixelfolk_page_picture_loaded();
// In page.js: the same for the soundtrack's rendering.
extern "C" void pixelfolk_page_music_rendered(double seconds);

namespace platform {

void reportPictureLoaded() { pixelfolk_page_picture_loaded(); }

void reportMusicRendered(double seconds) { pixelfolk_page_music_rendered(seconds); }

}  // namespace platform
