#include "app/command_line.h"

#include <cstring>

#include "app/show_time_value.h"

namespace {

// A whole number of at most five digits, without sign or spaces.
bool parseSide(const char* text, size_t length, int32_t* side) {
  if (length == 0 || length > 5) return false;
  int32_t value = 0;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  if (value < kSmallestWindowSide || value > kLargestWindowSide) return false;
  *side = value;
  return true;
}

bool parseWindowSize(const char* text, int32_t* width, int32_t* height) {
  const char* cross = std::strchr(text, 'x');
  if (cross == nullptr) return false;
  return parseSide(text, static_cast<size_t>(cross - text), width) &&
         parseSide(cross + 1, std::strlen(cross + 1), height);
}

CommandLine refuse(std::string why) {
  CommandLine refused;
  refused.action = CommandLine::Action::refuse;
  refused.error = std::move(why);
  return refused;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  bool help = false;
  bool version = false;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    static constexpr char kWindowWithSize[] = "--window=";
    if (std::strcmp(argument, "--help") == 0) {
      help = true;
    } else if (std::strcmp(argument, "--version") == 0) {
      version = true;
    } else if (std::strcmp(argument, "--mute") == 0) {
      line.mute = true;
    } else if (std::strcmp(argument, "--window") == 0) {
      line.windowed = true;
      line.windowWidth = 640;
      line.windowHeight = 480;
    } else if (std::strncmp(argument, kWindowWithSize, sizeof kWindowWithSize - 1) == 0) {
      const char* size = argument + sizeof kWindowWithSize - 1;
      if (!parseWindowSize(size, &line.windowWidth, &line.windowHeight)) {
        return refuse("--window takes WIDTHxHEIGHT, each from 32 to 16384, not " + quotedValue(size));
      }
      line.windowed = true;
    } else if (std::strcmp(argument, "--seek") == 0 || std::strncmp(argument, "--seek=", 7) == 0) {
      const bool joined = argument[6] == '=';
      if (!joined && i + 1 == argc) return refuse("--seek needs the seconds to start at");
      const char* seconds = joined ? argument + 7 : argv[++i];
      if (!parseShowTime(seconds, &line.seekTime)) return refuse(showTimeRefusal("--seek", seconds));
      line.seek = true;
    } else if (std::strcmp(argument, "--rehearse") == 0) {
      line.rehearse = true;
    } else if (std::strcmp(argument, "--paused") == 0) {
      line.paused = true;
    } else if (argument[0] == '-') {
      return refuse("unknown option " + quotedValue(argument));
    } else {
      return refuse("unexpected argument " + quotedValue(argument));
    }
  }
  if (line.paused && !line.rehearse) return refuse("--paused needs --rehearse: only a rehearsal can be resumed");
  // A line that asks for both gets the help, which names --version too.
  if (help) {
    line.action = CommandLine::Action::printHelp;
  } else if (version) {
    line.action = CommandLine::Action::printVersion;
  }
  return line;
}

const char* commandLineUsage() {
  return "Usage: pixelfolk [--window[=WIDTHxHEIGHT]] [--mute] [--seek=SECONDS] [--rehearse [--paused]] [--help] "
         "[--version]\n";
}

const char* commandLineHelp() {
  return "Usage: pixelfolk [OPTION]...\n"
         "Pixelfolk enjoy dance! -- a 96-second self-running demo of pictures, sprites\n"
         "and typed text, timed to its tracker-module soundtrack. Escape ends it; every\n"
         "other key is ignored unless --rehearse is given.\n"
         "\n"
         "  --window            show it in a 640x480 window instead of the full screen\n"
         "  --window=WxH        show it in a window of W x H pixels (each 32 to 16384),\n"
         "                      the 4:3 picture scaled to fit with black bars\n"
         "  --mute              play the music silently; it still drives the show\n"
         "  --seek=SECONDS      start at that show time (0 to 96, such as 57.5), with the\n"
         "                      picture and the music a run from the start has there\n"
         "  --rehearse          the show with controls and live reload of its media:\n"
         "                      Space pause/resume, Left/Right 5 s back/forward,\n"
         "                      Page Up/Down previous/next scene change, Home back to 0,\n"
         "                      '.'/',' one frame forward/back while paused, L loop the\n"
         "                      scene, H the overlay; at 96 s it pauses on the last frame\n"
         "  --paused            with --rehearse: start paused\n"
         "  --help              print this help and exit\n"
         "  --version           print the version and exit\n"
         "\n"
         "The media (resinfo.rli, data/, demo.xm) are read from the working directory\n"
         "when it holds resinfo.rli, else from ../share/pixelfolk beside the executable.\n";
}
