// The live show started at any time (--seek) and the rehearsal (--rehearse):
// the soundtrack rendered offline and played from a position that follows
// every seek, the keys, the overlay and the live reload of the media. The
// show without these options never comes here.
#pragma once

#include <memory>

class DataController;
class Font;

struct RehearsalRequest {
  double startTime = 0.0;
  bool controls = false;  // --rehearse
  bool paused = false;    // --paused
};

// Asked for by the command line before the show starts.
void requestRehearsal(const RehearsalRequest& request);
bool rehearsalRequested();

// Takes the show over once its media are loaded and the display is open, and
// runs it to its end; never returns.
[[noreturn]] void runRehearsedShow(std::unique_ptr<DataController> data, std::unique_ptr<Font> font);
