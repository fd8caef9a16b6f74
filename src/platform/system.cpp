#include <SDL.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace platform {

namespace {

constexpr int kMaxExitHooks = 8;
void (*exitHooks[kMaxExitHooks])();
int exitHookCount = 0;
bool messagesOffScreen = false;
void (*exitInterceptor)(int) = nullptr;

bool driverIsHeadless(const char* driver) {
  return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool hasEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

}  // namespace

void keepMessagesOffScreen() { messagesOffScreen = true; }

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool messageBoxesVisible() {
  if (messagesOffScreen) return false;
  if (!hasEnvironment("DISPLAY") && !hasEnvironment("WAYLAND_DISPLAY")) return false;
  if (driverIsHeadless(std::getenv("SDL_VIDEODRIVER"))) return false;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && driverIsHeadless(SDL_GetCurrentVideoDriver())) return false;
  return true;
}

void showMessageBox(const char* caption, const char* text) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
  if (messageBoxesVisible()) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

bool queryCounterFrequency(int64_t* frequency) {
  timespec resolution{};
  if (clock_getres(CLOCK_MONOTONIC, &resolution) != 0) {
    *frequency = 0;
    return false;
  }
  *frequency = 1000000000;
  return true;
}

int64_t readCounter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void sleepMilliseconds(int milliseconds) {
  if (milliseconds <= 0) {
    SDL_Delay(0);
    return;
  }
  SDL_Delay(static_cast<Uint32>(milliseconds));
}

void atProcessExit(void (*hook)()) {
  if (exitHookCount < kMaxExitHooks) exitHooks[exitHookCount++] = hook;
}

void exitProcess(int code) {
  while (exitHookCount > 0) exitHooks[--exitHookCount]();
  std::fflush(stdout);
  std::fflush(stderr);
  if (exitInterceptor != nullptr) exitInterceptor(code);
  std::exit(code);
}

void interceptExit(void (*instead)(int code)) { exitInterceptor = instead; }

}  // namespace platform
