// Leaving the process from inside a library that can no longer be trusted to
// tear itself down: for the platform's own error handlers only.
#pragma once

namespace platform {

// Runs the exit hooks (the sound output stops) and flushes standard output
// and error like exitProcess, then ends the process at once: no static
// destructors, no atexit handlers, no library finalizers. A library whose
// connection died in the middle of a call may have half-freed state that its
// own finalizer would free again.
[[noreturn]] void exitProcessAtOnce(int code);

}  // namespace platform
