#include "platform/audio_output.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/quiet_standard_error.h"
#include "platform/sdl/audio_drivers.h"
#include "platform/sdl/audio_heard_time.h"
#include "platform/sdl/audio_output_delay.h"
#include "platform/sdl/audio_watch.h"

namespace platform {

namespace {

struct OutputState {
  SDL_AudioDeviceID device = 0;
  int handle = 0;
  AudioFill fill = nullptr;
  void* user = nullptr;
  int rate = 0;
  int bufferFrames = 0;
  // The real driver the output played on at first, and plays on again when
  // it comes back; empty when it never had one (muted, or no device).
  std::string driver;
  // SDL's dummy driver only sleeps a rounded buffer length between calls,
  // which runs several percent fast or slow; without a device the music is
  // therefore paced by the clock instead (see pacedCallback).
  bool pacedByClock = false;
  Uint64 firstCall = 0;
  int64_t framesPlayed = 0;
  std::vector<int16_t> scratch;
  HeardTime heard;  // the callback's, while a real device plays
};

// Owned by the thread that opens or closes the output, and by the watchdog
// while it reopens; the callback only reads it while its device is open.
OutputState current;
std::mutex outputLock;
int lastHandle = 0;
bool exitHookRegistered = false;

// When the callback last ran, and how often since the device opened: a
// device that played and claims to play on but no longer pulls has lost its
// server.
std::atomic<Uint64> lastPull{0};
std::atomic<int64_t> pulls{0};
// When the first frame of the buffer being filled is heard (seconds on
// SDL's counter); meaningless while silent.
std::atomic<double> heardAt{0.0};
std::atomic<bool> audible{false};
std::atomic<bool> settled{false};
std::atomic<uint64_t> freshStarts{0};

std::thread watchdog;
std::condition_variable watchdogWake;
bool watchdogStop = false;

// How long a device that has played for a second may claim to play without
// pulling before it counts as lost. Not before: a server may take a second or
// two to ask for more than its first buffer (PulseAudio's null sink, waking
// from idle, does). A lost device is tried again every half second (a refused
// connection costs next to nothing), so a server that comes back is heard
// soon; a stalled one that stays stalled (a suspended sink, a hung server)
// ever less often, up to every 8 s.
constexpr double kStallSeconds = 0.5;
constexpr double kRetrySeconds = 0.5;
constexpr double kLongestRetrySeconds = 8.0;

// How long the first frame of a buffer pulled on time waits to be heard: the
// queue the device keeps. SDL says nothing of it. Asked for a buffer's worth
// of latency, PulseAudio gives a quarter of it to the sink and keeps the
// rest queued for the stream, and SDL's next pull comes as soon as the queue
// has taken the whole of the last buffer: a click at the start of every
// buffer, recorded from a null sink's monitor, was heard 34.8 ms after its
// pull on time at 2048 frames, with the recorder at 5 or 20 ms; a stream's
// very first buffer 31 to 35 ms after its pull, as its queue fills before it
// plays (docs/sound.md). Other servers and drivers hold about as much.
constexpr double kQueuedBuffersAtPull = 0.75;

double seconds(Uint64 counter) {
  return static_cast<double>(counter) / static_cast<double>(SDL_GetPerformanceFrequency());
}

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
  lastPull.store(SDL_GetPerformanceCounter(), std::memory_order_relaxed);
  pulls.fetch_add(1, std::memory_order_relaxed);
  const int frames = length / static_cast<int>(2 * sizeof(int16_t));
  if (current.fill == nullptr) {
    std::memset(stream, 0, static_cast<size_t>(length));
  } else if (current.pacedByClock) {
    pacedCallback(stream, length);
  } else {
    heardAt.store(current.heard.pull(seconds(SDL_GetPerformanceCounter()), frames), std::memory_order_relaxed);
    settled.store(current.heard.settled(), std::memory_order_relaxed);
    // A stream that ran dry has been silent for as long as its pull was late,
    // and its late buffer waits up to a queue more: the music would resume
    // behind the clock and jump there once the estimate had settled again, two
    // things heard. It starts afresh at the clock's place instead, as on a new
    // stream.
    if (current.heard.dryFor() > 0.0) freshStarts.fetch_add(1, std::memory_order_relaxed);
    current.fill(current.user, reinterpret_cast<int16_t*>(stream), frames);
  }
}

SDL_AudioSpec wantedSpec() {
  SDL_AudioSpec wanted{};
  wanted.freq = current.rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = static_cast<Uint16>(current.bufferFrames);
  wanted.callback = callback;
  return wanted;
}

// Starts the callback on a device just opened on `driver`.
void startDevice(SDL_AudioDeviceID device, const char* driver) {
  current.device = device;
  current.pacedByClock = std::strcmp(driver, "dummy") == 0;
  current.firstCall = 0;
  current.framesPlayed = 0;
  current.heard.reset(current.rate, current.bufferFrames, kQueuedBuffersAtPull * current.bufferFrames / current.rate);
  audible.store(!current.pacedByClock);
  settled.store(false);
  freshStarts.fetch_add(1);
  lastPull.store(SDL_GetPerformanceCounter());
  pulls.store(0);
  SDL_PauseAudioDevice(device, 0);
}

void closeDevice() {
  if (current.device == 0) return;
  // Closing waits for a running callback to return.
  SDL_CloseAudioDevice(current.device);
  SDL_AudioQuit();
  current.device = 0;
  audible.store(false);
}

// The real driver again, or the clock-paced silent one until it is back, so
// the callback never stops for long.
void reopen() {
  closeDevice();
  char reason[256];
  const SDL_AudioSpec wanted = wantedSpec();
  SDL_AudioDeviceID device;
  {
    QuietStandardError quiet;
    device = openOnDriver(current.driver.c_str(), wanted, reason, sizeof reason);
  }
  if (device != 0) {
    startDevice(device, current.driver.c_str());
    return;
  }
  device = openOnDriver("dummy", wanted, reason, sizeof reason);
  if (device != 0) startDevice(device, "dummy");
}

double secondsSince(Uint64 then) {
  return static_cast<double>(SDL_GetPerformanceCounter() - then) / static_cast<double>(SDL_GetPerformanceFrequency());
}

// Every tenth of a second: is the real device still playing and pulling? A
// removed device (the server went away) reports itself stopped; a server
// that hangs, or a sink that stops under a stream SDL still thinks open,
// stops pulling. Either way the output is opened again on the same driver,
// at the same rate and with the same callback; meanwhile the silent output
// paced by the clock keeps the callback running. One line on stderr when it
// goes, one when it is back.
void watch() {
  std::unique_lock<std::mutex> guard(outputLock);
  bool lost = false;
  bool stallOnly = false;  // the device never said it was gone: back off
  Uint64 lastTry = 0;
  double retry = kRetrySeconds;
  const int64_t steadyPulls = current.rate / std::max(current.bufferFrames, 1);
  while (!watchdogWake.wait_for(guard, std::chrono::milliseconds(100), [] { return watchdogStop; })) {
    if (current.device != 0 && !current.pacedByClock) {
      const bool stopped = SDL_GetAudioDeviceStatus(current.device) != SDL_AUDIO_PLAYING;
      const bool stalled = pulls.load() >= steadyPulls && secondsSince(lastPull.load()) > kStallSeconds;
      if (!stopped && !stalled) {
        if (lost && pulls.load() > 1) {
          std::fprintf(stderr, "Sound output back (%s)\n", current.driver.c_str());
          lost = false;
          stallOnly = false;
          retry = kRetrySeconds;
        }
        continue;
      }
      if (!lost) {
        std::fprintf(stderr, "Sound output %s (%s): opening it again\n", stopped ? "lost" : "stalled",
                     current.driver.c_str());
        lost = true;
        lastTry = 0;
      }
      stallOnly = !stopped;
    }
    if (!lost || (lastTry != 0 && secondsSince(lastTry) < retry)) continue;
    if (lastTry != 0 && stallOnly) retry = std::min(retry * 2, kLongestRetrySeconds);
    lastTry = SDL_GetPerformanceCounter();
    reopen();
  }
}

void stopWatchdog() {
  if (!watchdog.joinable()) return;
  {
    std::lock_guard<std::mutex> guard(outputLock);
    watchdogStop = true;
  }
  watchdogWake.notify_all();
  watchdog.join();
  watchdogStop = false;
}

void closeCurrent() {
  stopWatchdog();
  std::lock_guard<std::mutex> guard(outputLock);
  closeDevice();
  current = OutputState{};
}

}  // namespace

uint64_t sdlOutputFreshStarts() { return freshStarts.load(std::memory_order_relaxed); }

bool sdlOutputSteady() { return audible.load(std::memory_order_relaxed) && settled.load(std::memory_order_relaxed); }

double sdlOutputDelay() {
  if (!audible.load(std::memory_order_relaxed)) return 0.0;
  return heardAt.load(std::memory_order_relaxed) - seconds(SDL_GetPerformanceCounter());
}

int openAudioOutput(int rate, int bufferFrames, AudioFill fill, void* user, AudioOutputStatus* status) {
  *status = AudioOutputStatus{};
  closeCurrent();
  std::lock_guard<std::mutex> guard(outputLock);
  if (bufferFrames < 64) bufferFrames = 64;
  if (bufferFrames > 8192) bufferFrames = 8192;

  current.fill = fill;
  current.user = user;
  current.rate = rate;
  current.bufferFrames = bufferFrames;
  current.scratch.assign(static_cast<size_t>(bufferFrames) * 2, 0);
  const SDL_AudioSpec wanted = wantedSpec();
  SDL_AudioDeviceID device;
  {
    // SDL's error string keeps the reason; what the sound libraries print while probing is noise.
    QuietStandardError quiet;
    device = openPreferredDevice(wanted, status->reason, sizeof status->reason);
  }
  if (device != 0) {
    current.driver = SDL_GetCurrentAudioDriver();
    if (current.driver == "dummy") current.driver.clear();
  } else {
    char ignored[256];
    device = openOnDriver("dummy", wanted, ignored, sizeof ignored);
    status->silent = device != 0;
  }
  if (device == 0) {
    current = OutputState{};
    return 0;
  }
  if (!exitHookRegistered) {
    atProcessExit(closeCurrent);
    exitHookRegistered = true;
  }
  current.handle = ++lastHandle;
  status->running = true;
  startDevice(device, SDL_GetCurrentAudioDriver());
  if (!current.driver.empty() && audioOutputWatched()) watchdog = std::thread(watch);
  return current.handle;
}

void closeAudioOutput(int output) {
  if (output != 0 && output == current.handle) closeCurrent();
}

}  // namespace platform
