#include "platform/sdl/show_window.h"

namespace platform {

// The page's canvas, at the picture's own size: the page scales it to the
// window with its aspect kept and asks for the full screen itself, inside the
// click that starts the show, which is the only moment a browser grants it.
// SDL's fullscreen flags would instead queue a request for some later key
// press. The picture goes to the canvas through a 2D context: no WebGL needed,
// and the browser's compositor does the scaling.
//
// The program is built with Asyncify only to wait for the page's start click
// (page.js); SDL would otherwise take that as leave to sleep in every frame's
// present, from inside the browser's own frame callback.
SDL_Window* createShowWindow(const char* title, const SDL_Rect& desktop) {
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
  return SDL_CreateWindow(title, desktop.x, desktop.y, desktop.w, desktop.h, SDL_WINDOW_HIDDEN);
}

void fitShowWindow(SDL_Window* window, int width, int height) { SDL_SetWindowSize(window, width, height); }

}  // namespace platform
