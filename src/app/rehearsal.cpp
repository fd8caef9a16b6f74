#include "app/rehearsal.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/show_loop.h"
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

namespace {

// Whether keys and a page's requests act at all.
bool takesControls(RunKind kind) { return kind == RunKind::rehearsal || kind == RunKind::player; }

}  // namespace

Rehearsal::Rehearsal(ShowEngine& engine, std::vector<SceneMark> marks, const Settings& settings)
    : engine_(engine),
      transport_(engine.transport()),
      marks_(std::move(marks)),
      kind_(settings.kind),
      startTime_(std::clamp(settings.startTime, 0.0, kShowLength)),
      startPaused_(settings.kind == RunKind::rehearsal && settings.paused) {}

void Rehearsal::press(uint32_t virtualKey) {
  if (takesControls(kind_)) requests_.push_back({Request::Kind::key, virtualKey, 0.0});
}

void Rehearsal::requestSeek(double showTime) {
  if (takesControls(kind_)) requests_.push_back({Request::Kind::seek, 0, showTime});
}

void Rehearsal::requestPaused(bool paused) {
  if (takesControls(kind_)) requests_.push_back({paused ? Request::Kind::pause : Request::Kind::play, 0, 0.0});
}

// The transport holds until the first pass: the frame is drawn ahead, and
// the time and the music run from the moment it is shown.
void Rehearsal::cue() {
  if (started_) return;
  started_ = true;
  transport_.pause(transport_.time());
  seek(startTime_);
  cued_ = true;
}

Rehearsal::Pass Rehearsal::pass() {
  Pass result;
  if (!started_) cue();
  if (std::exchange(cued_, false)) {
    if (!startPaused_) transport_.play();
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
  if (paused()) return result;

  const double t = transport_.time();
  if (transport_.looping() && t >= transport_.loopEnd()) {
    seek(transport_.loopStart());
    result.drew = true;
    return result;
  }
  if (t > kShowLength) {
    if (kind_ != RunKind::rehearsal) {
      // As the show without a start time: the first frame past the end is
      // drawn and presented, then the show ends.
      engine_.drawFrame(t);
      result.drew = true;
      result.ended = true;
      return result;
    }
    // A rehearsal holds the last frame, at the end itself, and waits.
    if (engine_.showTime() < kShowLength) {
      engine_.drawFrame(kShowLength);
      result.drew = true;
    }
    setPaused(true);
    return result;
  }
  engine_.drawFrame(t);
  result.drew = true;
  return result;
}

void Rehearsal::useMusic(const TriggerTimeline& timeline) {
  engine_.useTimeline(timeline);
  marks_ = sceneMarks(timeline);
  redraw();
}

const char* Rehearsal::loopedScene() const { return transport_.loopName(); }

void Rehearsal::act(const Request& request) {
  switch (request.kind) {
    case Request::Kind::key:
      // A viewer's player has no use for a rehearsal's frame steps, scene
      // jumps, loop or overlay.
      if (kind_ == RunKind::player && request.key != virtualkey::space && request.key != virtualkey::left &&
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
      if (paused() && t >= kShowLength && !looping()) {
        // Played to the end: play again from the start.
        seek(0.0);
        setPaused(false);
      } else {
        setPaused(!paused());
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
      if (paused()) seek(nextStepTime(t));
      return;
    case virtualkey::comma:
      if (paused() && t > 0.0) seek(previousStepTime(t));
      return;
    case 'L':
      if (looping()) {
        transport_.clearLoop();
      } else {
        placeLoop();
      }
      return;
    case 'H':
      overlay_ = !overlay_;
      return;
    default:
      return;
  }
}

// The engine puts the transport, and with it the music, at the time sought.
void Rehearsal::seek(double showTime) {
  engine_.seek(showTime);
  ++seeks_;
  sought_ = true;
  if (looping()) placeLoop();
}

// Paused, the show time stays at the frame on screen; resumed, it runs on
// from there.
void Rehearsal::setPaused(bool paused) {
  if (paused) {
    transport_.pause(engine_.showTime());
  } else {
    transport_.play();
  }
}

const SceneMark* Rehearsal::markAtOrBefore(double t) const {
  const SceneMark* found = nullptr;
  for (const SceneMark& mark : marks_) {
    if (mark.showTime <= t + kSameMoment) found = &mark;
  }
  return found;
}

void Rehearsal::placeLoop() {
  const SceneMark* mark = markAtOrBefore(engine_.showTime());
  const double start = mark != nullptr ? mark->showTime : 0.0;
  double end = kShowLength;
  for (const SceneMark& next : marks_) {
    if (next.showTime > start + kSameMoment) {
      end = next.showTime;
      break;
    }
  }
  transport_.setLoop(start, end, mark != nullptr ? mark->name : "opening");
}
