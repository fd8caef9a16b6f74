#include <cstdio>

#include "app/command_line.h"
#include "app/demo_main.h"
#include "app/media_location.h"
#include "app/rehearsed_show.h"
#include "display/display.h"
#include "platform/audio_output.h"
#include "platform/player_page.h"

#ifndef PIXELFOLK_VERSION
#define PIXELFOLK_VERSION "unknown"
#endif

int main(int argc, char** argv) {
  const CommandLine line = parseCommandLine(argc, argv);
  switch (line.action) {
    case CommandLine::Action::printHelp:
      std::fputs(commandLineHelp(), stdout);
      return 0;
    case CommandLine::Action::printVersion:
      std::printf("pixelfolk %s\n", PIXELFOLK_VERSION);
      return 0;
    case CommandLine::Action::refuse:
      std::fprintf(stderr, "pixelfolk: %s\n%s", line.error.c_str(), commandLineUsage());
      return 2;
    case CommandLine::Action::runShow:
      break;
  }
  if (line.windowed) displayUseWindow(line.windowWidth, line.windowHeight);
  if (line.mute) platform::muteAudioOutput();
  // A page that plays the show as a player gives its start time as --seek.
  if (platform::playerPageShown()) {
    requestRehearsal({RunKind::player, line.seekTime});
  } else if (line.rehearse) {
    requestRehearsal({RunKind::rehearsal, line.seekTime, line.paused});
  } else if (line.seek) {
    requestRehearsal({RunKind::fromTime, line.seekTime});
  }
  // Everything below reads its files relative to the media folder.
  if (!enterMediaFolder()) return 1;
  return demoMain();
}
