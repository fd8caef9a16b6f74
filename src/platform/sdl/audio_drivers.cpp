#include "platform/sdl/audio_drivers.h"

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

// SDL's messages often start with the driver's name already ("ALSA: ...").
const char* withoutDriverName(const char* driver, const char* error) {
  const size_t length = std::strlen(driver);
  if (SDL_strncasecmp(error, driver, length) == 0 && std::strncmp(error + length, ": ", 2) == 0)
    return error + length + 2;
  return error;
}

void appendFailure(const char* driver, char* reason, size_t reasonSize) {
  const size_t used = std::strlen(reason);
  if (used + 1 >= reasonSize) return;
  std::snprintf(reason + used, reasonSize - used, "%s%s: %s", used == 0 ? "" : "; ", driver,
                withoutDriverName(driver, SDL_GetError()));
}

}  // namespace

SDL_AudioDeviceID openOnDriver(const char* driver, const SDL_AudioSpec& wanted, char* reason, size_t reasonSize) {
  reason[0] = '\0';
  if (SDL_AudioInit(driver) != 0) {
    appendFailure(driver, reason, reasonSize);
    return 0;
  }
  SDL_AudioSpec obtained{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device == 0) {
    appendFailure(driver, reason, reasonSize);
    SDL_AudioQuit();
  }
  return device;
}

SDL_AudioDeviceID openPreferredDevice(const SDL_AudioSpec& wanted, char* reason, size_t reasonSize) {
  const char* asked = SDL_GetHint(SDL_HINT_AUDIODRIVER);
  if (asked != nullptr && asked[0] != '\0') return openOnDriver(asked, wanted, reason, reasonSize);
  char failures[512] = "";
  for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) {
    const char* driver = SDL_GetAudioDriver(i);
    if (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0) continue;
    char failure[256];
    const SDL_AudioDeviceID device = openOnDriver(driver, wanted, failure, sizeof failure);
    if (device != 0) return device;
    const size_t used = std::strlen(failures);
    std::snprintf(failures + used, sizeof failures - used, "%s%s", used == 0 ? "" : "; ", failure);
  }
  std::snprintf(reason, reasonSize, "%s", failures[0] != '\0' ? failures : "no sound driver");
  return 0;
}

}  // namespace platform
