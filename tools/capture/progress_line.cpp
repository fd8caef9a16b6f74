#include "progress_line.h"

#include <cmath>
#include <cstdio>

namespace {

// "1:05" for 65 seconds, "0:07" for 7; minutes grow past 59.
std::string minutesAndSeconds(double seconds) {
  const long whole = std::lround(std::ceil(seconds));
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

}  // namespace

std::string progressLine(long done, long total, double elapsed, double fps) {
  char text[160];
  const int percent = total > 0 ? static_cast<int>(100 * done / total) : 100;
  if (!(elapsed > 0.0) || done <= 0) {
    std::snprintf(text, sizeof text, "frame %ld/%ld (%d%%), -- frames/s, --x real time, -- left", done, total, percent);
    return text;
  }
  const double rate = static_cast<double>(done) / elapsed;
  const double speed = rate / fps;
  const double left = static_cast<double>(total - done) / rate;
  std::snprintf(text, sizeof text, "frame %ld/%ld (%d%%), %.0f frames/s, %.1fx real time, %s left", done, total,
                percent, rate, speed, minutesAndSeconds(left).c_str());
  return text;
}
