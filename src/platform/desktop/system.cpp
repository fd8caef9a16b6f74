#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/common/message_lines.h"
#include "platform/desktop/native_system.h"
#include "platform/exit_hooks.h"
#include "platform/platform.h"
#include "platform/process_exit.h"

namespace platform {

namespace {

bool messagesOffScreen = false;

bool driverIsHeadless(const char* driver) {
  return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

}  // namespace

void keepMessagesOffScreen() { messagesOffScreen = true; }

bool messageBoxesVisible() {
  if (messagesOffScreen) return false;
  if (!nativeScreenAvailable()) return false;
  if (driverIsHeadless(std::getenv("SDL_VIDEODRIVER"))) return false;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && driverIsHeadless(SDL_GetCurrentVideoDriver())) return false;
  return true;
}

void showMessageBox(const char* caption, const char* text) {
  std::fputs(captionEveryLine(caption, text).c_str(), stderr);
  std::fflush(stderr);
  if (messageBoxesVisible()) showNativeMessageBox(caption, text);
}

void sleepMilliseconds(int milliseconds) {
  if (milliseconds <= 0) {
    SDL_Delay(0);
    return;
  }
  SDL_Delay(static_cast<Uint32>(milliseconds));
}

void lowerThreadPriority() { SDL_SetThreadPriority(SDL_THREAD_PRIORITY_LOW); }

// Both ways out close the sound first and leave nothing unwritten.
void exitProcess(int code) {
  runExitHooksAndFlush();
  callExitInterceptor(code);
  std::exit(code);
}

void exitProcessAtOnce(int code) {
  runExitHooksAndFlush();
  std::_Exit(code);
}

}  // namespace platform
