// The live show started at any time (--seek), the rehearsal (--rehearse) and
// a page's player: the soundtrack rendered offline and played where the
// transport says, the keys, and a rehearsal's overlay and live reload of the
// media. The plain show never comes here, and a page's show always does.
#pragma once

#include <memory>

#include "app/run_kind.h"

class DataController;

struct RehearsalRequest {
  RunKind kind = RunKind::fromTime;
  double startTime = 0.0;
  bool paused = false;  // a rehearsal's --paused
};

// Asked for by the command line before the show starts.
void requestRehearsal(const RehearsalRequest& request);
// The kind asked for: plain unless another was.
RunKind requestedRun();

// Takes the show over once its media are loaded and the display is open:
// prepares it, waits for the start (platform::waitForStart) and runs it to
// its end; never returns.
[[noreturn]] void runRehearsedShow(std::unique_ptr<DataController> data);
