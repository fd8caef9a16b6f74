// The capture tool's whole run, apart from reading the command line.
#pragma once

#include "capture_options.h"

// The show time of frame k at a frame rate, computed the same way everywhere.
double frameTime(long k, const FrameRate& fps);

// Returns the process's exit code: 0 when every output was written.
int runCapture(const CaptureOptions& options);
