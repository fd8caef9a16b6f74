#include "app/rehearsal.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/show_loop.h"
#include "music/sample_playback.h"
#include "platform/display_device.h"

namespace {

// Times within this of each other are one moment: a mark just jumped to is
// "here", not "before".
constexpr double kSameMoment = 1e-9;

double nextStepTime(double t) {
  long k = std::max(0L, static_cast<long>(std::floor(t * kStepRate.numerator / kStepRate.denominator)) - 1);
  while (historyFrameTime(k, kStepRate) <= t) ++k;
  return historyFrameTime(k, kStepRate);
}

double previousStepTime(double t) {
  long k = static_cast<long>(std::ceil(t * kStepRate.numerator / kStepRate.denominator)) + 1;
  while (k > 0 && historyFrameTime(k, kStepRate) >= t) --k;
  return historyFrameTime(k, kStepRate);
}

}  // namespace

Rehearsal::Rehearsal(ShowEngine& engine, SamplePlayback* playback, std::vector<SceneMark> marks,
                     const Settings& settings, std::function<double()> now)
    : engine_(engine),
      playback_(playback),
      marks_(std::move(marks)),
      controls_(settings.controls),
      player_(settings.controls && settings.player),
      now_(std::move(now)),
      startTime_(std::clamp(settings.startTime, 0.0, kShowLength)),
      startPaused_(settings.controls && settings.paused) {}

void Rehearsal::press(uint32_t virtualKey) {
  if (controls_) requests_.push_back({Request::Kind::key, virtualKey, 0.0});
}

void Rehearsal::requestSeek(double showTime) {
  if (controls_) requests_.push_back({Request::Kind::seek, 0, showTime});
}

void Rehearsal::requestPaused(bool paused) {
  if (controls_) requests_.push_back({paused ? Request::Kind::pause : Request::Kind::play, 0, 0.0});
}

void Rehearsal::cue() {
  if (started_) return;
  started_ = true;
  paused_ = startPaused_;
  seek(startTime_);
  cued_ = true;
}

Rehearsal::Pass Rehearsal::pass() {
  Pass result;
  if (!started_) cue();
  if (std::exchange(cued_, false)) {
    anchorReading_ = now_();
    result.drew = true;
    return result;
  }

  sought_ = false;
  if (std::exchange(redrawDue_, false)) seek(engine_.showTime());
  for (const Request& request : std::exchange(requests_, {})) act(request);
  if (sought_) {
    result.drew = true;
    return result;
  }
  if (paused_) return result;

  const double t = liveShowTime();
  if (looping_ && t >= loopEnd_) {
    seek(loopStart_);
    result.drew = true;
    return result;
  }
  if (t > kShowLength) {
    if (!controls_ || player_) {
      // As the show without a start time: the first frame past the end is
      // drawn and presented, then the show ends.
      engine_.drawLiveFrame(t);
      result.drew = true;
      result.ended = true;
      return result;
    }
    // A rehearsal holds the last frame, at the end itself, and waits.
    if (engine_.showTime() < kShowLength) {
      engine_.drawLiveFrame(kShowLength);
      result.drew = true;
    }
    setPaused(true);
    return result;
  }
  engine_.drawLiveFrame(t);
  result.drew = true;
  return result;
}

const char* Rehearsal::loopedScene() const { return looping_ ? loopName_ : ""; }

void Rehearsal::act(const Request& request) {
  switch (request.kind) {
    case Request::Kind::key:
      // A viewer's player has no use for a rehearsal's frame steps, scene
      // jumps, loop or overlay.
      if (player_ && request.key != virtualkey::space && request.key != virtualkey::left &&
          request.key != virtualkey::right && request.key != virtualkey::home) {
        return;
      }
      apply(request.key);
      return;
    case Request::Kind::seek:
      // A page's figure may be anything; the show has only its 96 seconds.
      seek(std::isfinite(request.showTime) ? std::clamp(request.showTime, 0.0, kShowLength) : 0.0);
      return;
    case Request::Kind::pause:
      setPaused(true);
      return;
    case Request::Kind::play:
      setPaused(false);
      return;
  }
}

void Rehearsal::apply(uint32_t key) {
  const double t = engine_.showTime();
  switch (key) {
    case virtualkey::space:
      if (paused_ && t >= kShowLength && !looping_) {
        // Played to the end: play again from the start.
        paused_ = false;
        seek(0.0);
      } else {
        setPaused(!paused_);
      }
      return;
    case virtualkey::left:
      seek(std::max(0.0, t - kSkipSeconds));
      return;
    case virtualkey::right:
      seek(std::min(kShowLength, t + kSkipSeconds));
      return;
    case virtualkey::home:
      seek(0.0);
      return;
    case virtualkey::pageUp: {
      double target = 0.0;
      for (const SceneMark& mark : marks_) {
        if (mark.showTime < t - kSameMoment) target = mark.showTime;
      }
      seek(target);
      return;
    }
    case virtualkey::pageDown:
      for (const SceneMark& mark : marks_) {
        if (mark.showTime > t + kSameMoment) {
          seek(mark.showTime);
          return;
        }
      }
      return;
    case virtualkey::period:
      if (paused_) seek(nextStepTime(t));
      return;
    case virtualkey::comma:
      if (paused_ && t > 0.0) seek(previousStepTime(t));
      return;
    case 'L':
      looping_ = !looping_;
      if (looping_) placeLoop();
      return;
    case 'H':
      overlay_ = !overlay_;
      return;
    default:
      return;
  }
}

void Rehearsal::seek(double showTime) {
  // No note may be counted between the music's new place and the replay's
  // counts. The music moves first: it also forgets the notes still on their
  // way to the speakers (music/heard_counts.h), which the replay must not read.
  if (playback_ != nullptr) {
    playback_->setPaused(true);
    playback_->seek(showTime);
  }
  engine_.seek(showTime);
  if (playback_ != nullptr) playback_->setPaused(paused_);
  ++seeks_;
  anchorTime_ = showTime;
  anchorReading_ = now_();
  sought_ = true;
  if (looping_) placeLoop();
}

void Rehearsal::setPaused(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  // Paused, the show time stays at the frame on screen; resumed, it runs on
  // from there.
  if (paused) {
    anchorTime_ = engine_.showTime();
  } else {
    anchorReading_ = now_();
  }
  if (playback_ != nullptr) playback_->setPaused(paused);
}

double Rehearsal::liveShowTime() const { return paused_ ? anchorTime_ : anchorTime_ + (now_() - anchorReading_); }

const SceneMark* Rehearsal::markAtOrBefore(double t) const {
  const SceneMark* found = nullptr;
  for (const SceneMark& mark : marks_) {
    if (mark.showTime <= t + kSameMoment) found = &mark;
  }
  return found;
}

void Rehearsal::placeLoop() {
  const double t = engine_.showTime();
  const SceneMark* mark = markAtOrBefore(t);
  loopStart_ = mark != nullptr ? mark->showTime : 0.0;
  loopName_ = mark != nullptr ? mark->name : "opening";
  loopEnd_ = kShowLength;
  for (const SceneMark& next : marks_) {
    if (next.showTime > loopStart_ + kSameMoment) {
      loopEnd_ = next.showTime;
      break;
    }
  }
}
