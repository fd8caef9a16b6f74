#include "platform/sdl/refresh_pacer.h"

#include <cstring>

#include "platform/sdl/frame_pacing.h"

void RefreshPacer::start(SDL_Renderer* renderer, SDL_Window* window) {
  SDL_RendererInfo info{};
  if (!platform::presentPacesFrames() || SDL_GetRendererInfo(renderer, &info) != 0 ||
      (info.flags & SDL_RENDERER_PRESENTVSYNC) == 0)
    return;
  // SDL reports a sync it only simulates: a GL renderer whose swap interval
  // could not be set, or the software one.
  const bool gl = std::strncmp(info.name, "opengl", 6) == 0;
  pacing_ = gl ? SDL_GL_GetSwapInterval() == 0 : std::strcmp(info.name, "software") == 0;
  if (!pacing_) return;
  SDL_RenderSetVSync(renderer, 0);
  SDL_DisplayMode mode{};
  const int display = SDL_GetWindowDisplayIndex(window);
  const int hertz =
      display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
  interval_ = SDL_GetPerformanceFrequency() / static_cast<Uint64>(hertz);
  next_ = 0;
}

void RefreshPacer::waitForSlot() {
  if (!pacing_) return;
  const Uint64 now = SDL_GetPerformanceCounter();
  // The first frame, or one a refresh late or more: its slot is now.
  if (next_ == 0 || now > next_ + interval_) next_ = now;
  if (next_ > now) SDL_Delay(static_cast<Uint32>((next_ - now) * 1000 / SDL_GetPerformanceFrequency()));
  next_ += interval_;
}
