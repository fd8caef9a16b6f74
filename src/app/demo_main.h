#pragma once

// The whole life of the show: start-up, the 96-second frame loop and the end.
// Returns only when the display cannot be opened (exit code 1); every other
// end of the program leaves through platform::exitProcess.
int demoMain();
