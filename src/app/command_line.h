// The show's command line. Without arguments the show runs full screen with
// sound, as it always did; the options add a window, silence, a start time,
// the rehearsal's controls, and the usual --help and --version.
#pragma once

#include <cstdint>
#include <string>

struct CommandLine {
  enum class Action { runShow, printHelp, printVersion, refuse };
  Action action = Action::runShow;
  bool windowed = false;
  int32_t windowWidth = 640;
  int32_t windowHeight = 480;
  bool mute = false;
  bool seek = false;      // start at seekTime instead of 0
  double seekTime = 0.0;  // seconds of show time, 0 .. kLatestSeekTime
  bool rehearse = false;  // the keys pause, step and seek
  bool paused = false;    // with rehearse: start paused
  std::string error;      // why the command line was refused
};

inline constexpr int32_t kSmallestWindowSide = 32;
inline constexpr int32_t kLargestWindowSide = 16384;
inline constexpr double kLatestSeekTime = 96.0;

// Reads argv[1..argc-1]. Anything but the known options is refused.
CommandLine parseCommandLine(int argc, const char* const* argv);

// The full help text (for --help) and the one-line usage (after a refusal).
const char* commandLineHelp();
const char* commandLineUsage();
