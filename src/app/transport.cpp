#include "app/transport.h"

#include <utility>

#include "render/show_state.h"

Transport::Transport(const TriggerTimeline& timeline, std::function<double()> now, MusicClock* music, double musicStart)
    : index_(timeline), now_(std::move(now)), music_(music), musicStart_(musicStart) {
  anchorReading_ = now_ ? now_() : 0.0;
  publish(true);
}

void Transport::play() {
  if (playing_) return;
  anchorReading_ = now_ ? now_() : 0.0;
  playing_ = true;
  publish(false);
}

void Transport::pause(double heldAt) {
  if (!playing_) return;
  anchorTime_ = heldAt;
  playing_ = false;
  publish(false);
}

void Transport::setPosition(double showTime) {
  anchorTime_ = showTime;
  anchorReading_ = now_ ? now_() : 0.0;
  publish(true);
}

double Transport::time() const {
  if (!playing_ || !now_) return anchorTime_;
  return anchorTime_ + (now_() - anchorReading_);
}

void Transport::setLoop(double start, double end, const char* name) {
  looping_ = true;
  loopStart_ = start;
  loopEnd_ = end;
  loopName_ = name;
}

void Transport::useTimeline(const TriggerTimeline& timeline) { index_ = TriggerIndex(timeline); }

void Transport::setCounts(double showTime) const {
  // A player a little off the clock is brought back over seconds, not moved
  // (music/module_feed.h): meanwhile the notes are counted as they are heard.
  const double heardAhead = playing_ && music_ != nullptr ? music_->heardAhead() : 0.0;
  const NoteCounts counts = index_.countsAt(showTime - musicStart_ + heardAhead);
  showState.instrument1Hits = counts.instrument1;
  showState.instrument4Hits = counts.instrument4;
}

// The music's place as the show time's: held while paused, running from the
// anchor while playing.
void Transport::publish(bool jump) {
  if (music_ == nullptr) return;
  const double musicTime = anchorTime_ - musicStart_;
  if (playing_) {
    music_->run(musicTime, anchorReading_, jump);
  } else {
    music_->stop(musicTime, jump);
  }
}
