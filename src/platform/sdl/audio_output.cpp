#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/audio_output.h"
#include "platform/platform.h"
#include "platform/quiet_standard_error.h"

namespace platform {

namespace {

struct OutputState {
  SDL_AudioDeviceID device = 0;
  int handle = 0;
  AudioFill fill = nullptr;
  void* user = nullptr;
  int rate = 0;
  // SDL's dummy driver only sleeps a rounded buffer length between calls,
  // which runs several percent fast or slow; without a device the music is
  // therefore paced by the clock instead (see pacedCallback).
  bool pacedByClock = false;
  Uint64 firstCall = 0;
  int64_t framesPlayed = 0;
  std::vector<int16_t> scratch;
};

OutputState current;
int lastHandle = 0;
bool exitHookRegistered = false;

void pacedCallback(Uint8* stream, int length) {
  std::memset(stream, 0, static_cast<size_t>(length));
  const Uint64 now = SDL_GetPerformanceCounter();
  if (current.firstCall == 0) current.firstCall = now;
  const Uint64 elapsed = now - current.firstCall;
  const Uint64 frequency = SDL_GetPerformanceFrequency();
  const int64_t due =
      static_cast<int64_t>(elapsed / frequency * current.rate + elapsed % frequency * current.rate / frequency);
  // After a stall longer than a second the music resumes late rather than
  // racing through what it missed.
  int64_t missing = std::min<int64_t>(due - current.framesPlayed, current.rate);
  current.framesPlayed = due - missing;
  const int64_t chunk = static_cast<int64_t>(current.scratch.size() / 2);
  while (missing > 0) {
    const int frames = static_cast<int>(std::min(missing, chunk));
    current.fill(current.user, current.scratch.data(), frames);
    missing -= frames;
    current.framesPlayed += frames;
  }
}

void callback(void* /*unused*/, Uint8* stream, int length) {
  const int frames = length / static_cast<int>(2 * sizeof(int16_t));
  if (current.fill == nullptr) {
    std::memset(stream, 0, static_cast<size_t>(length));
  } else if (current.pacedByClock) {
    pacedCallback(stream, length);
  } else {
    current.fill(current.user, reinterpret_cast<int16_t*>(stream), frames);
  }
}

void closeCurrent() {
  if (current.device == 0) return;
  // Closing waits for a running callback to return.
  SDL_CloseAudioDevice(current.device);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  current = OutputState{};
}

// Starts the audio subsystem with the driver SDL picks (or the one named by
// SDL_AUDIODRIVER) and opens its default device; on failure leaves the
// subsystem down and SDL's error in `reason`.
SDL_AudioDeviceID openDevice(int rate, int bufferFrames, char* reason, size_t reasonSize) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::snprintf(reason, reasonSize, "%s", SDL_GetError());
    return 0;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = static_cast<Uint16>(bufferFrames);
  wanted.callback = callback;
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts to whatever the hardware needs.
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device == 0) {
    std::snprintf(reason, reasonSize, "%s", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  return device;
}

SDL_AudioDeviceID openSilentDevice(int rate, int bufferFrames) {
  char ignored[256];
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
  const SDL_AudioDeviceID device = openDevice(rate, bufferFrames, ignored, sizeof ignored);
#if SDL_VERSION_ATLEAST(2, 24, 0)
  SDL_ResetHint(SDL_HINT_AUDIODRIVER);
#endif
  return device;
}

}  // namespace

int openAudioOutput(int rate, int bufferFrames, AudioFill fill, void* user, AudioOutputStatus* status) {
  *status = AudioOutputStatus{};
  closeCurrent();
  if (bufferFrames < 64) bufferFrames = 64;
  if (bufferFrames > 8192) bufferFrames = 8192;

  current.fill = fill;
  current.user = user;
  current.rate = rate;
  current.scratch.assign(static_cast<size_t>(bufferFrames) * 2, 0);
  {
    // SDL's error string keeps the reason; what the sound libraries print while probing is noise.
    QuietStandardError quiet;
    current.device = openDevice(rate, bufferFrames, status->reason, sizeof status->reason);
  }
  if (current.device == 0) {
    current.device = openSilentDevice(rate, bufferFrames);
    status->silent = current.device != 0;
  }
  if (current.device == 0) {
    current = OutputState{};
    return 0;
  }
  if (!exitHookRegistered) {
    atProcessExit(closeCurrent);
    exitHookRegistered = true;
  }
  const char* driver = SDL_GetCurrentAudioDriver();
  current.pacedByClock = driver != nullptr && std::strcmp(driver, "dummy") == 0;
  current.handle = ++lastHandle;
  status->running = true;
  SDL_PauseAudioDevice(current.device, 0);
  return current.handle;
}

void closeAudioOutput(int output) {
  if (output != 0 && output == current.handle) closeCurrent();
}

}  // namespace platform
