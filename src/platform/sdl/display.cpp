#include "platform/sdl/display.h"

#include <SDL.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/display_loss.h"
#include "platform/platform.h"
#include "platform/quiet_standard_error.h"
#include "platform/sdl/display_formats.h"
#include "platform/sdl/display_messages.h"
#include "platform/sdl/refresh_pacer.h"
#include "platform/sdl/show_window.h"

namespace platform {

namespace {

// SDL falls back to its offscreen driver when it finds no display, and the
// show would then play unseen and end as if it had been watched. The headless
// drivers count only when asked for by name, as the tests do.
bool fellBackToHeadlessDriver() {
  const char* current = SDL_GetCurrentVideoDriver();
  if (current == nullptr) return false;
  if (std::strcmp(current, "offscreen") != 0 && std::strcmp(current, "dummy") != 0) return false;
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  return asked == nullptr || SDL_strcasestr(asked, current) == nullptr;
}

// Shrinks `size` (width, height) to fit inside `room` with its aspect kept;
// false when it already fits or there is no room at all.
bool fitInside(const int32_t size[2], const int32_t room[2], int32_t* width, int32_t* height) {
  if (room[0] <= 0 || room[1] <= 0) return false;
  if (size[0] <= room[0] && size[1] <= room[1]) return false;
  const int64_t wide = static_cast<int64_t>(room[0]) * size[1];
  const int64_t tall = static_cast<int64_t>(room[1]) * size[0];
  if (wide <= tall) {  // the width is what limits
    *width = room[0];
    *height = static_cast<int32_t>(static_cast<int64_t>(room[0]) * size[1] / size[0]);
  } else {
    *height = room[1];
    *width = static_cast<int32_t>(static_cast<int64_t>(room[1]) * size[0] / size[1]);
  }
  return true;
}

// How long a window at the desktop's edge waits to learn its frame, and the
// largest frame a window manager is expected to add.
constexpr int kFrameWaitMilliseconds = 300;
constexpr int32_t kLargestFrame = 64;

class SdlDisplayDevice final : public DisplayDevice {
 public:
  // The driver is SDL's video subsystem and the device the first display.
  bool loadDriver() override {
    int started = 0;
    {
      // SDL's error string keeps the reason; what the window-system libraries
      // print while probing (Wayland without XDG_RUNTIME_DIR, say) is noise.
      QuietStandardError quiet;
      started = SDL_InitSubSystem(SDL_INIT_VIDEO);
    }
    if (started != 0) return fail("SDL video: %s", SDL_GetError());
    videoStarted = true;
    if (fellBackToHeadlessDriver()) {
      return fail(
          "no display to show the picture on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
          "SDL_VIDEODRIVER=offscreen runs the show unseen");
    }
    watchForLostDisplay();
    return true;
  }

  bool findDriverEntry() override {
    if (SDL_GetNumVideoDisplays() < 1) return fail("no video display: %s", SDL_GetError());
    return true;
  }

  bool createDevice() override {
    if (SDL_GetDisplayBounds(0, &desktop) != 0) return fail("no desktop size: %s", SDL_GetError());
    return true;
  }

  void registerWindowClass(const char*, DisplayWindowProc procedure) override { windowProc = procedure; }

  void useWindow(int32_t width, int32_t height) override {
    windowedWidth = width;
    windowedHeight = height;
  }

  // The show's own window is the platform's (show_window.h). A window
  // asked for instead is an ordinary one the user may resize; the renderer
  // keeps the picture's aspect in either. The window stays hidden until the
  // mode is set.
  void createWindow(const char*, const char* title) override {
    if (windowedWidth > 0) {
      fitWindowToDesktop(0, 0);
      window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, windowedWidth, windowedHeight,
                                SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    } else {
      window = createShowWindow(title, desktop);
    }
    if (window == nullptr) {
      fail("no window: %s", SDL_GetError());
      return;
    }
    windowId = SDL_GetWindowID(window);
  }

  bool setExclusiveFullscreen() override {
    if (window == nullptr) return false;  // createWindow gave the reason
    return chooseFormat();
  }

  // Only the display's own depth can be had, so the caller's 32 -> 24 -> 16
  // fallback follows the real display.
  bool setDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel) override {
    if (static_cast<uint32_t>(bitsPerPixel) != format.pixelFormat.bitCount) {
      return fail("the display shows %u bits per pixel (%s), not %d", format.pixelFormat.bitCount, format.name,
                  bitsPerPixel);
    }
    if (renderer == nullptr) {
      if (windowedWidth == 0) fitShowWindow(window, width, height);  // a window asked for keeps its size
      if (!createRenderer()) return false;
    }
    if (SDL_RenderSetLogicalSize(renderer, width, height) != 0)
      return fail("no %dx%d picture: %s", width, height, SDL_GetError());
    modeWidth = width;
    modeHeight = height;
    SDL_ShowWindow(window);
    if (windowedWidth > 0) fitShownWindowWithItsFrame();
    SDL_RaiseWindow(window);
    return true;
  }

  // The renderer double-buffers by itself: any chain with a back buffer is
  // one streaming texture; a bare primary has nothing to draw into.
  bool createPrimarySurface(int32_t backBufferCount) override {
    if (renderer == nullptr) return fail("no renderer");
    if (!createTexture()) return false;
    backBuffers = backBufferCount;
    return true;
  }

  bool attachBackBuffer() override {
    if (texture == nullptr || backBuffers < 1) return fail("no back buffer");
    return true;
  }

  bool getPixelFormat(DisplayPixelFormat* pixelFormat) override {
    *pixelFormat = format.pixelFormat;
    return true;
  }

  // Switching it on again after video has shut down finds it on already:
  // freeDriver lifts the inhibition while video can still do so.
  void setScreenSaverActive(bool active) override {
    if (!active) {
      SDL_DisableScreenSaver();
    } else if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
      SDL_EnableScreenSaver();
    }
  }

  bool peekMessage(DisplayMessage* message) override {
    if (pendingCount == 0 && !takeEvent()) return false;
    *message = pending[pendingNext++];
    if (pendingNext == pendingCount) pendingCount = pendingNext = 0;
    return true;
  }

  void dispatchMessage(const DisplayMessage& message) override {
    if (windowProc != nullptr) windowProc(message);
  }

  void sleep(int32_t milliseconds) override { sleepMilliseconds(milliseconds); }

  // Stays marked lost until a texture is made again, so that a failed
  // rebuild is retried on the next frame instead of leaving the screen dark.
  void restorePrimary() override {
    if (!texturesLost || renderer == nullptr) return;
    if (texture != nullptr) SDL_DestroyTexture(texture);
    texture = nullptr;
    texturesLost = !createTexture();
  }

  bool lockBackBuffer(LockedSurface* surface) override {
    if (texture == nullptr) return fail("no back buffer");
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) return fail("lock: %s", SDL_GetError());
    surface->pixels = static_cast<uint8_t*>(pixels);
    surface->pitch = pitch;
    surface->width = modeWidth;
    surface->height = modeHeight;
    return true;
  }

  void unlockBackBuffer(uint8_t*) override {
    if (texture != nullptr) SDL_UnlockTexture(texture);
  }

  void flip() override {
    if (!drawPicture()) return;
    pacer.waitForSlot();
    SDL_RenderPresent(renderer);
  }

  void hideCursor() override { SDL_ShowCursor(SDL_DISABLE); }

  intptr_t defaultWindowProc(const DisplayMessage&) override { return 0; }

  void releasePrimary() override {
    if (texture != nullptr) SDL_DestroyTexture(texture);
    texture = nullptr;
    backBuffers = 0;
  }

  // The window took the desktop's own mode, so there is no mode to restore:
  // the screen is the desktop's again as soon as the window is gone.
  void restoreDisplayMode() override {}

  void setNormalCooperation() override {
    if (window != nullptr) SDL_HideWindow(window);
  }

  void releaseDevice() override {
    if (renderer != nullptr) SDL_DestroyRenderer(renderer);
    renderer = nullptr;
  }

  void destroyWindow() override {
    if (window != nullptr) SDL_DestroyWindow(window);
    window = nullptr;
    windowId = 0;
    windowedWidth = windowedHeight = 0;  // the next open is full screen unless asked again
    shrunkFrom[0] = shrunkFrom[1] = 0;
  }

  void freeDriver() override {
    if (videoStarted) {
      SDL_EnableScreenSaver();
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    videoStarted = false;
    pendingCount = pendingNext = 0;
    texturesLost = false;
  }

  void exitProcess(int code) override { platform::exitProcess(code); }

  const char* failureReason() const override { return reason; }

  bool readBack(DisplayReadBack* picture) {
    if (!drawPicture()) return false;
    int outputWidth = 0, outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) != 0) return false;
    fitPicture(outputWidth, outputHeight, &picture->width, &picture->height);
    picture->bytesPerPixel = static_cast<int32_t>(format.pixelFormat.bitCount / 8);
    // Room for the whole output, in case the renderer's viewport is rounded
    // differently from fitPicture's.
    const int pitch = outputWidth * picture->bytesPerPixel;
    picture->pixels.assign(static_cast<size_t>(pitch) * static_cast<size_t>(outputHeight), 0);
    return SDL_RenderReadPixels(renderer, nullptr, format.sdlFormat, picture->pixels.data(), pitch) == 0;
  }

 private:
  bool fail(const char* text, ...) __attribute__((format(printf, 2, 3))) {
    va_list arguments;
    va_start(arguments, text);
    std::vsnprintf(reason, sizeof reason, text, arguments);
    va_end(arguments);
    return false;
  }

  bool chooseFormat() {
    const char* forced = std::getenv("PIXELFOLK_DISPLAY_FORMAT");
    if (forced != nullptr && forced[0] != '\0') {
      if (!sdlDisplayFormatNamed(forced, &format)) return fail("unknown PIXELFOLK_DISPLAY_FORMAT \"%s\"", forced);
      return true;
    }
    if (!sdlDisplayFormatForWindow(SDL_GetWindowPixelFormat(window), &format)) format = sdlDefaultDisplayFormat();
    return true;
  }

  bool createRenderer() {
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, 0);
    if (renderer == nullptr) return fail("no renderer: %s", SDL_GetError());
    pacer.start(renderer, window);
    return true;
  }

  bool createTexture() {
    texture = SDL_CreateTexture(renderer, format.sdlFormat, SDL_TEXTUREACCESS_STREAMING, modeWidth, modeHeight);
    if (texture == nullptr) return fail("no %s texture: %s", format.name, SDL_GetError());
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    return true;
  }

  // A window larger than the usable desktop would put its title bar, and
  // with it the close button, off the screen: it is shrunk to fit with its
  // aspect kept, first to the desktop, then once more to leave room for the
  // frame the window manager added, which is known only once it is shown.
  bool fitWindowToDesktop(int32_t frameWidth, int32_t frameHeight) {
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return false;
    const int32_t room[2] = {usable.w - frameWidth, usable.h - frameHeight};
    const int32_t size[2] = {windowedWidth, windowedHeight};
    if (!fitInside(size, room, &windowedWidth, &windowedHeight)) return false;
    shrunkFrom[0] = shrunkFrom[0] > 0 ? shrunkFrom[0] : size[0];
    shrunkFrom[1] = shrunkFrom[1] > 0 ? shrunkFrom[1] : size[1];
    desktopSize[0] = usable.w;
    desktopSize[1] = usable.h;
    return true;
  }

  void fitShownWindowWithItsFrame() {
    int top = 0, left = 0, bottom = 0, right = 0;
    // The window manager tells the frame's size a little after the window is
    // mapped; only a window that reaches the desktop's edge waits for it.
    if (nearDesktopEdge()) {
      for (int waited = 0; waited < kFrameWaitMilliseconds; waited += 10) {
        SDL_PumpEvents();
        if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) == 0 && top + left + bottom + right > 0)
          break;
        SDL_Delay(10);
      }
    }
    if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) == 0 &&
        fitWindowToDesktop(left + right, top + bottom)) {
      // Centred with its frame: SDL would centre the inside alone and push
      // the title bar off the top.
      SDL_Rect usable{};
      SDL_GetDisplayUsableBounds(0, &usable);
      SDL_SetWindowSize(window, windowedWidth, windowedHeight);
      SDL_SetWindowPosition(window, usable.x + left + (usable.w - left - right - windowedWidth) / 2,
                            usable.y + top + (usable.h - top - bottom - windowedHeight) / 2);
    }
    if (shrunkFrom[0] > 0) {
      std::fprintf(stderr, "pixelfolk: a %dx%d window does not fit the %dx%d desktop; using %dx%d\n", shrunkFrom[0],
                   shrunkFrom[1], desktopSize[0], desktopSize[1], windowedWidth, windowedHeight);
    }
  }

  // Within a frame's width of the usable desktop's size.
  bool nearDesktopEdge() const {
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return false;
    return windowedWidth > usable.w - kLargestFrame || windowedHeight > usable.h - kLargestFrame;
  }

  // Black bars around the picture, the picture scaled into the rest.
  bool drawPicture() {
    if (renderer == nullptr || texture == nullptr) return false;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    return true;
  }

  // The largest modeWidth x modeHeight area of the same aspect in the output.
  void fitPicture(int outputWidth, int outputHeight, int32_t* width, int32_t* height) const {
    const int64_t wide = static_cast<int64_t>(outputWidth) * modeHeight;
    const int64_t tall = static_cast<int64_t>(outputHeight) * modeWidth;
    if (wide == tall) {
      *width = outputWidth;
      *height = outputHeight;
    } else if (wide > tall) {
      *height = outputHeight;
      *width = static_cast<int32_t>(static_cast<int64_t>(modeWidth) * outputHeight / modeHeight);
    } else {
      *width = outputWidth;
      *height = static_cast<int32_t>(static_cast<int64_t>(modeHeight) * outputWidth / modeWidth);
    }
  }

  bool takeEvent() {
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0) return false;
    const TranslatedEvent translated = translateSdlEvent(event, windowId, windowedWidth > 0);
    if (translated.texturesLost) texturesLost = true;
    const bool wasActive = active;
    for (int i = 0; i < translated.count; ++i) {
      pending[i] = translated.messages[i];
      if (pending[i].kind == DisplayMessageKind::activateApp) active = pending[i].value != 0;
    }
    // Losing the screen is answered with the last frame as well: a part
    // exposed just before (the window manager's Alt+Tab popup going away)
    // was left to a next frame that will not come now.
    if (translated.exposed || (wasActive && !active)) repaintWhileInactive();
    pendingCount = translated.count;
    pendingNext = 0;
    return pendingCount > 0;
  }

  // No new frame comes while inactive, so the window system's request to
  // redraw is answered with the last one, or another window's image would
  // stay on it. While active the next frame answers it.
  void repaintWhileInactive() {
    if (active || texturesLost || !drawPicture()) return;
    SDL_RenderPresent(renderer);
  }

  bool videoStarted = false;
  bool active = false;  // as last told to the window procedure
  SDL_Rect desktop{};
  SDL_Window* window = nullptr;
  int32_t windowedWidth = 0;  // 0: the full screen
  int32_t windowedHeight = 0;
  int32_t shrunkFrom[2] = {0, 0};  // the size asked for, when it had to be shrunk
  int32_t desktopSize[2] = {0, 0};
  uint32_t windowId = 0;
  SDL_Renderer* renderer = nullptr;
  RefreshPacer pacer;
  SDL_Texture* texture = nullptr;
  SdlDisplayFormat format = {};
  int32_t modeWidth = 0;
  int32_t modeHeight = 0;
  int32_t backBuffers = 0;
  bool texturesLost = false;
  DisplayWindowProc windowProc = nullptr;
  DisplayMessage pending[2];
  int pendingCount = 0;
  int pendingNext = 0;
  char reason[256] = "";
};

SdlDisplayDevice& theDevice() {
  static SdlDisplayDevice device;
  return device;
}

}  // namespace

DisplayDevice& displayDevice() { return theDevice(); }

bool readBackSdlDisplay(DisplayReadBack* picture) { return theDevice().readBack(picture); }

}  // namespace platform
