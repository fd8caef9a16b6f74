#include "platform/player_page.h"

namespace platform {

// A desktop program is its own window: the keys are the controls, and the
// show reports its state to nobody.
bool playerPageShown() { return false; }

void showSceneMarks(double, const double*, const char* const*, int) {}

void showPlayerState(double, bool, int) {}

bool takePlayerRequest(PlayerRequest*) { return false; }

}  // namespace platform
