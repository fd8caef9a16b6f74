// Who calls the show's frames. A desktop program may loop for as long as it
// likes; a browser page must hand control back to the browser after every
// frame, or nothing is drawn and the page hangs.
#pragma once

namespace platform {

using FramePass = void (*)(void* user);

// Calls `pass` once per frame for the rest of the process: back to back on a
// desktop (the display's vertical retrace paces it), once per animation frame
// in a browser. It never returns; the show leaves through exitProcess. In a
// browser this call itself returns control to the page, so the caller's code
// after it never runs, while its locals stay valid for the passes.
[[noreturn]] void runFrameLoop(FramePass pass, void* user);

}  // namespace platform
