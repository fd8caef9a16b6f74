// A present that returns when its frame is shown. Where the renderer syncs to
// the display's refresh, its present waits for it; where it cannot (a virtual
// X server, software rendering), SDL only sleeps out the rest of a refresh
// after handing the frame over, so the present would return a refresh after
// the frame was shown. The pacer waits for the refresh slot before the
// handover instead, as a syncing display does.
#pragma once

#include <SDL.h>

class RefreshPacer {
 public:
  // Takes over the pacing from SDL where the renderer cannot sync.
  void start(SDL_Renderer* renderer, SDL_Window* window);
  // Before each present: until the next refresh slot, where pacing.
  void waitForSlot();

 private:
  bool pacing_ = false;
  Uint64 interval_ = 0;  // performance counter ticks
  Uint64 next_ = 0;
};
