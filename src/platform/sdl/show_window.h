// The show's window, made the way each platform shows a picture best: on a
// desktop it covers the screen, in a browser page it is the page's canvas.
#pragma once

#include <SDL.h>

namespace platform {

// A hidden window for the show on the display whose bounds are `desktop`,
// or nullptr with SDL's error set.
SDL_Window* createShowWindow(const char* title, const SDL_Rect& desktop);

// Called once the picture's size is known, before the renderer is made.
void fitShowWindow(SDL_Window* window, int width, int height);

}  // namespace platform
