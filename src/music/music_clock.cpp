#include "music/music_clock.h"

#include <algorithm>
#include <cmath>

#include "platform/audio_latency.h"
#include "platform/platform.h"

void MusicClock::run(double musicTime, double realTime, bool jump) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!place_.running || jump) hear(0.0);
  if (!place_.running) ++place_.starts;
  place_.running = true;
  place_.musicTime = musicTime;
  place_.realTime = realTime;
  if (jump) ++place_.jumps;
}

void MusicClock::stop(double musicTime, bool jump) {
  const std::lock_guard<std::mutex> lock(mutex_);
  hear(0.0);
  place_.running = false;
  place_.musicTime = musicTime;
  if (jump) ++place_.jumps;
}

MusicPlace MusicClock::place() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return place_;
}

double musicRealTime() {
  static const double secondsPerCount = [] {
    int64_t frequency = 0;
    return platform::queryCounterFrequency(&frequency) && frequency > 0 ? 1.0 / static_cast<double>(frequency) : 1e-9;
  }();
  return static_cast<double>(platform::readCounter()) * secondsPerCount;
}

uint64_t placeMoves(const MusicPlace& place) { return place.jumps + place.starts + platform::audioOutputFreshStarts(); }

Followed followClock(const MusicPlace& place, double heardAt, int rate, int bufferFrames, int64_t position,
                     uint64_t* seenMoves) {
  const int64_t wanted = std::llround(place.at(heardAt) * rate);
  const uint64_t moves = placeMoves(place);
  const bool jumped = moves != *seenMoves;
  *seenMoves = moves;
  const double wander = platform::audioOutputWanderBuffers();
  const int64_t tolerance = std::max(std::llround(kMusicDriftTolerance * rate), std::llround(wander * bufferFrames));
  if (jumped || wanted - position > tolerance) return {wanted, 0};
  if (position - wanted > tolerance) return {position, position - wanted};
  return {position, 0, wander == 0.0 ? position - wanted : 0};
}
