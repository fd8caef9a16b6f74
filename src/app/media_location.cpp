#include "app/media_location.h"

#include <string>

#include "platform/executable_path.h"
#include "platform/platform.h"

// Set by the build for this file alone: where the uninstalled programs and
// their media are.
#ifndef PIXELFOLK_BUILD_DIR
#define PIXELFOLK_BUILD_DIR ""
#endif
#ifndef PIXELFOLK_BUILD_SHOW_DIR
#define PIXELFOLK_BUILD_SHOW_DIR ""
#endif

MediaChoice locateShowMedia() {
  MediaPlaces places;
  places.workingDirectory = platform::workingDirectory();
  places.executable = platform::executablePath();
  places.mediaBesideExecutable = platform::mediaBesideExecutable();
  // Compared in resolved form, as the executable's path is.
  places.buildDirectory = platform::realPath(PIXELFOLK_BUILD_DIR);
  places.buildShowFolder = PIXELFOLK_BUILD_SHOW_DIR;
  return chooseMediaFolder(
      places, [](const std::string& path) { return platform::isRegularFile(path); },
      [](const std::string& path) { return platform::pathExists(path); });
}

bool enterMediaFolder(const char* advice) {
  const MediaChoice choice = locateShowMedia();
  if (!choice.found) {
    std::string text = mediaNotFoundMessage(choice);
    if (advice != nullptr) text = text + " " + advice;
    platform::showMessageBox("Error", text.c_str());
    return false;
  }
  if (choice.workingDirectory) return true;
  if (!platform::changeWorkingDirectory(choice.folder)) {
    const std::string text = "Couldn't enter " + choice.folder + ".";
    platform::showMessageBox("Error", text.c_str());
    return false;
  }
  return true;
}
