#include "platform/player_page.h"

#include <emscripten.h>

#include <deque>

extern "C" {
// In page.js: they hand the figures to the page's handlers.
void pixelfolk_page_scene_marks(double showLength, const double* showTimes, const char* const* names, int count);
void pixelfolk_page_player_state(double showTime, int paused, int seeks);
}

namespace {

// Filled by the page between frames, emptied by the next pass.
std::deque<platform::PlayerRequest> requests;

}  // namespace

// The page's controls call these (Module._pixelfolk_player_seek and the like).
extern "C" {

EMSCRIPTEN_KEEPALIVE void pixelfolk_player_seek(double showTime) {
  requests.push_back({platform::PlayerRequest::Kind::seek, showTime});
}

EMSCRIPTEN_KEEPALIVE void pixelfolk_player_pause(int paused) {
  requests.push_back({paused != 0 ? platform::PlayerRequest::Kind::pause : platform::PlayerRequest::Kind::play, 0.0});
}
}

namespace platform {

bool playerPageShown() { return true; }

void showSceneMarks(double showLength, const double* showTimes, const char* const* names, int count) {
  pixelfolk_page_scene_marks(showLength, showTimes, names, count);
}

void showPlayerState(double showTime, bool paused, int seeks) {
  pixelfolk_page_player_state(showTime, paused ? 1 : 0, seeks);
}

bool takePlayerRequest(PlayerRequest* request) {
  if (requests.empty()) return false;
  *request = requests.front();
  requests.pop_front();
  return true;
}

}  // namespace platform
