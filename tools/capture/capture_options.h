// The capture tool's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frame_sinks.h"

struct FrameRate {
  long numerator = 60;
  long denominator = 1;
  double value() const { return static_cast<double>(numerator) / static_cast<double>(denominator); }
};

struct CaptureOptions {
  std::string showDir;  // from -C; empty: found as the show finds its media
  FrameRate fps;
  double from = 0.0;
  std::optional<double> to;  // default: through the show's last frame
  double loadDelay = 0.0;
  std::string framesDir;  // PNG frames and soundtrack.wav
  std::string videoFile;  // MP4 through ffmpeg
  std::optional<double> frameAt;
  std::string pngFile;  // with frameAt
  int scale = 1;        // each show pixel written as a scale x scale block
  PngCompression pngCompression = PngCompression::fast;
  VideoSettings video;
  unsigned threads = 0;  // PNG compression threads; 0: one per processor
  bool quiet = false;
  bool help = false;
};

// Parses argv[1..]; on a bad command line returns nothing and says why.
std::optional<CaptureOptions> parseCaptureOptions(const std::vector<std::string>& args, std::string* error);

const char* captureUsage();
