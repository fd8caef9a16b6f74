// pixelfolk-capture: renders the show on a fixed frame clock into PNG frames,
// a WAV soundtrack or an MP4 video, frame-exact and faster than real time.
#include <cstdio>
#include <string>
#include <vector>

#include "capture.h"
#include "capture_options.h"

int main(int argc, char** argv) {
  std::string error;
  const auto options = parseCaptureOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) {
    std::fprintf(stderr, "pixelfolk-capture: %s\nTry 'pixelfolk-capture --help'.\n", error.c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(captureUsage(), stdout);
    return 0;
  }
  return runCapture(*options);
}
