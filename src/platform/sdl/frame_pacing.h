// Whether a present paces the frames: a desktop's loop runs its passes back
// to back and the present holds each to the display's refresh; a page's
// frames come from the browser's animation frames, and a present that waited
// would only hold up the page.
#pragma once

namespace platform {

bool presentPacesFrames();

}  // namespace platform
