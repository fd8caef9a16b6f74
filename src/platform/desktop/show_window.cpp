#include "platform/sdl/show_window.h"

namespace platform {

// A borderless window of the desktop's size covers the screen also on an X
// server without a window manager, where SDL's fullscreen flags alone leave
// it at its first size. The renderer scales the picture into it.
SDL_Window* createShowWindow(const char* title, const SDL_Rect& desktop) {
  return SDL_CreateWindow(title, desktop.x, desktop.y, desktop.w, desktop.h,
                          SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void fitShowWindow(SDL_Window*, int, int) {}

}  // namespace platform
