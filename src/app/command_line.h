// The show's command line. Without arguments the show runs full screen with
// sound, as it always did; the options only add a window, silence, and the
// usual --help and --version.
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
  std::string error;  // why the command line was refused
};

inline constexpr int32_t kSmallestWindowSide = 32;
inline constexpr int32_t kLargestWindowSide = 16384;

// Reads argv[1..argc-1]. Anything but the known options is refused.
CommandLine parseCommandLine(int argc, const char* const* argv);

// The full help text (for --help) and the one-line usage (after a refusal).
const char* commandLineHelp();
const char* commandLineUsage();
