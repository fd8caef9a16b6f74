// The live show started at any time (--seek), the rehearsal (--rehearse) and
// a page's player: the soundtrack rendered offline and played from a
// position that follows every seek, the keys, and a rehearsal's overlay and
// live reload of the media. The desktop show without these options never
// comes here.
#pragma once

#include <memory>

class DataController;

struct RehearsalRequest {
  double startTime = 0.0;
  bool controls = false;  // --rehearse
  bool paused = false;    // --paused
  bool player = false;    // a page's player: its keys and controls, and the end ends the show
};

// Asked for by the command line before the show starts.
void requestRehearsal(const RehearsalRequest& request);
bool rehearsalRequested();

// Takes the show over once its media are loaded and the display is open:
// prepares it, waits for the start (platform::waitForStart) and runs it to
// its end; never returns.
[[noreturn]] void runRehearsedShow(std::unique_ptr<DataController> data);
