// Who calls the show's frames. A desktop program may loop for as long as it
// likes; a browser page must hand control back to the browser after every
// frame, or nothing is drawn and the page hangs.
#pragma once

namespace platform {

using FramePass = void (*)(void* user);

// Returns when the viewer asks for the show to begin. A desktop program is
// started by that request, so it returns at once; a browser page returns in
// the click on its start card, so that everything before this call (loading,
// opening the display) happens while the page waits for the click, and
// everything after it (taking the start time, opening the sound, which a
// browser allows only in a user's gesture) happens in the click.
void waitForStart();

// Calls `pass` once per frame for the rest of the process: back to back on a
// desktop (the display's vertical retrace paces it), once per animation frame
// in a browser. It never returns; the show leaves through exitProcess. In a
// browser this call itself returns control to the page, so the caller's code
// after it never runs, while its locals stay valid for the passes.
[[noreturn]] void runFrameLoop(FramePass pass, void* user);

}  // namespace platform
