// Renders the render jobs on worker threads and writes the show folder.
#pragma once

#include <string>
#include <vector>

#include "media_plan.h"

namespace mkmedia {

// Renders and encodes every job into `showDir`, creating folders as needed,
// with `workers` threads. Returns the number of jobs that failed (0 = all
// written); a failed job's path is printed to stderr.
int writeJobs(const std::string& showDir, const std::vector<RenderJob>& jobs, int workers);

// The whole show: every picture and frame, then the resource list last so
// that its time stamp marks a complete set. Returns true on success.
bool writeShow(const std::string& showDir, int workers);

}  // namespace mkmedia
