// The steps every way out of the process shares, wherever it runs: the exit
// hooks, the flush, and the fuzz harnesses' interceptor. Each system's
// exitProcess adds only how it then ends.
#pragma once

namespace platform {

// Runs the hooks given to atProcessExit, the last given first, each once,
// then flushes every output stream (standard output and error included).
void runExitHooksAndFlush();

// Calls the interceptExit handler, if one is set; it does not return.
void callExitInterceptor(int code);

}  // namespace platform
