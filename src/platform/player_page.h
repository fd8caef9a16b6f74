// The page that plays the show as a media player: a browser shows a
// play/pause button, a time bar with the scene changes marked and the time
// over the picture. The show tells the page where it stands and takes the
// page's requests; a desktop program has no such page, its keys are all the
// controls it has.
#pragma once

namespace platform {

// True where a page plays the show as a player: the show then always runs
// with the player's controls, from the start time the page gives.
bool playerPageShown();

// Once, before the start: the show's length and where its scenes change, in
// show time, each with its scene's name.
void showSceneMarks(double showLength, const double* showTimes, const char* const* names, int count);

// After every pass: the show time of the frame on screen, whether the show
// is paused, and how many seeks it has made so far, so that the page can
// tell a jump from the time running on.
void showPlayerState(double showTime, bool paused, int seeks);

struct PlayerRequest {
  enum class Kind { seek, pause, play };
  Kind kind = Kind::seek;
  double showTime = 0.0;  // seek: where to
};

// The page's requests, oldest first; false when there are none left.
bool takePlayerRequest(PlayerRequest* request);

}  // namespace platform
