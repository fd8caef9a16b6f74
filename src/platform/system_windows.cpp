#include <SDL.h>
#include <windows.h>

#include "platform/platform.h"
#include "platform/system_native.h"

namespace platform {

// A Windows desktop is always there to show a box on.
bool nativeScreenAvailable() { return true; }

// Task-modal without an owner: the show's window, if any, takes no input
// until the box is closed, and the box comes to the front.
void showNativeMessageBox(const char* caption, const char* text) {
  MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

// SDL's performance counter is QueryPerformanceCounter, the system's own
// precision timer; it needs no SDL_Init.
bool queryCounterFrequency(int64_t* frequency) {
  *frequency = static_cast<int64_t>(SDL_GetPerformanceFrequency());
  return *frequency > 0;
}

int64_t readCounter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }

}  // namespace platform
