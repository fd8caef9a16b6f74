// Loading progress, for a viewer who waits for the show: a browser page shows
// it on its start card; a desktop loads in a blink and shows nothing.
#pragma once

namespace platform {

// One more picture (or animation frame) is decoded. In a browser page this
// may also hand control back to the page for a moment, so that it can draw
// its progress bar; the caller's state stays as it is.
void reportPictureLoaded();

// The soundtrack is rendered up to this many seconds of music: a show that
// seeks plays it from samples rendered ahead. The same page hand-over.
void reportMusicRendered(double seconds);

}  // namespace platform
