#include "display/display.h"

#include <cstdio>
#include <initializer_list>

#include "display/pixel_converters.h"
#include "platform/display_device.h"

namespace {

// One display per process, closed at program start.
struct DisplayState {
  int32_t width = 0;
  int32_t height = 0;
  bool driverLoaded = false;
  bool deviceCreated = false;
  bool primaryCreated = false;  // the back buffer belongs to its flip chain
  int32_t appActive = 0;
  PixelConverter converter = nullptr;
  int32_t bytesPerPixel = 0;
};

DisplayState state;
int32_t windowWidth = 0;  // 0: full screen
int32_t windowHeight = 0;
DisplayDevice* installedDevice = nullptr;
DisplayKeyHandler keyHandler = nullptr;
void* keyHandlerUser = nullptr;
char failureText[256] = "";

DisplayDevice& device() { return installedDevice != nullptr ? *installedDevice : platform::displayDevice(); }

int fail(const char* what, const char* why) {
  std::snprintf(failureText, sizeof failureText, "%s%s%s", what, why[0] != '\0' ? ": " : "", why);
  return 0;
}

int failOnDevice(const char* what) { return fail(what, device().failureReason()); }

bool setSomeDisplayMode(DisplayDevice& dev) {
  for (const int32_t bitsPerPixel : {32, 24, 16}) {
    if (dev.setDisplayMode(state.width, state.height, bitsPerPixel)) return true;
  }
  return false;
}

// Two back buffers, then one, then none: a bare primary is accepted here but
// then has no back buffer to attach, so such a display is not used.
bool createSomePrimarySurface(DisplayDevice& dev) {
  for (const int32_t backBufferCount : {2, 1, 0}) {
    if (dev.createPrimarySurface(backBufferCount)) return true;
  }
  return false;
}

int32_t smaller(int32_t a, int32_t b) { return a < b ? a : b; }

void convertRows(const uint32_t* framebuffer, const LockedSurface& surface) {
  // A surface never smaller than the mode is the normal case; clipping to what
  // the lock reports only keeps a misbehaving device from being overrun.
  const int32_t rowBytesAvailable = surface.pitch < 0 ? -surface.pitch : surface.pitch;
  const int32_t columns = smaller(smaller(state.width, surface.width), rowBytesAvailable / state.bytesPerPixel);
  const int32_t rows = smaller(state.height, surface.height);
  for (int32_t row = 0; row < rows; ++row) {
    state.converter(framebuffer + static_cast<intptr_t>(row) * state.width,
                    surface.pixels + static_cast<intptr_t>(row) * surface.pitch, columns);
  }
}

// The platform's exit does not return; a test's device does, and the window
// procedure then simply answers the message.
void closeAndExit() {
  displayClose();
  device().exitProcess(0);
}

}  // namespace

int displayOpen(const char* title, int32_t width, int32_t height) {
  DisplayDevice& dev = device();
  failureText[0] = '\0';
  state.width = width;
  state.height = height;

  if (!dev.loadDriver()) return failOnDevice("no display driver");
  state.driverLoaded = true;
  if (!dev.findDriverEntry()) return failOnDevice("the display driver has no entry");
  if (!dev.createDevice()) return failOnDevice("no display device");
  state.deviceCreated = true;

  dev.registerWindowClass(title, displayWindowProc);
  if (windowWidth > 0) dev.useWindow(windowWidth, windowHeight);
  dev.createWindow(title, title);
  if (!dev.setExclusiveFullscreen()) return failOnDevice("no fullscreen access");
  if (!setSomeDisplayMode(dev)) return failOnDevice("no display mode at 32, 24 or 16 bits per pixel");
  if (!createSomePrimarySurface(dev)) return failOnDevice("no primary surface");
  state.primaryCreated = true;
  if (!dev.attachBackBuffer()) return failOnDevice("no back buffer");

  DisplayPixelFormat format;
  if (!dev.getPixelFormat(&format)) return failOnDevice("no pixel format");
  if (!format.rgb) return fail("the display's pixel format is not RGB", "");
  state.converter = selectPixelConverter(format.bitCount, format.redMask, format.greenMask, format.blueMask);
  if (state.converter == nullptr) {
    char masks[96];
    std::snprintf(masks, sizeof masks, "%u bits, red 0x%X, green 0x%X, blue 0x%X", format.bitCount, format.redMask,
                  format.greenMask, format.blueMask);
    return fail("no converter for the display's pixel format", masks);
  }
  state.bytesPerPixel = pixelConverterBytesPerPixel(state.converter);

  dev.setScreenSaverActive(false);
  return 1;
}

void displayUseWindow(int32_t width, int32_t height) {
  windowWidth = width > 0 && height > 0 ? width : 0;
  windowHeight = windowWidth > 0 ? height : 0;
}

int displayPresent(const uint32_t* framebuffer) {
  DisplayDevice& dev = device();
  DisplayMessage message;
  while (dev.peekMessage(&message)) dev.dispatchMessage(message);

  if (state.appActive == 0) {
    dev.sleep(1);
    return 1;
  }
  if (state.converter == nullptr) return 0;  // never opened: nothing to present into

  dev.restorePrimary();
  LockedSurface surface;
  if (!dev.lockBackBuffer(&surface)) return 0;
  convertRows(framebuffer, surface);
  dev.unlockBackBuffer(surface.pixels);
  dev.flip();
  dev.sleep(0);
  return 1;
}

void displayClose() {
  DisplayDevice& dev = device();
  if (state.primaryCreated) {
    // The back buffer belongs to the primary's flip chain and goes with it.
    dev.releasePrimary();
    state.primaryCreated = false;
  }
  if (state.deviceCreated) {
    dev.restoreDisplayMode();
    dev.setNormalCooperation();
    dev.releaseDevice();
    state.deviceCreated = false;
  }
  dev.destroyWindow();
  if (state.driverLoaded) {
    dev.freeDriver();
    state.driverLoaded = false;
  }
  dev.setScreenSaverActive(true);
}

intptr_t displayWindowProc(const DisplayMessage& message) {
  switch (message.kind) {
    case DisplayMessageKind::close:
      closeAndExit();
      return 0;
    case DisplayMessageKind::activateApp:
      state.appActive = static_cast<int32_t>(message.value);
      return 0;
    case DisplayMessageKind::setCursor:
      device().hideCursor();
      return 0;
    case DisplayMessageKind::keyDown:
    case DisplayMessageKind::character:
      if ((message.value & 0xFF) == 27) {
        closeAndExit();
      } else if (message.kind == DisplayMessageKind::keyDown && keyHandler != nullptr) {
        keyHandler(keyHandlerUser, message.value);
      }
      return 0;
    case DisplayMessageKind::other:
      break;
  }
  return device().defaultWindowProc(message);
}

void displaySetKeyHandler(DisplayKeyHandler handler, void* user) {
  keyHandler = handler;
  keyHandlerUser = user;
}

const char* displayFailureReason() { return failureText; }

PixelConverter displayPixelConverter() { return state.converter; }

void setDisplayDevice(DisplayDevice* newDevice) {
  installedDevice = newDevice;
  state = DisplayState{};
  keyHandler = nullptr;
  windowWidth = windowHeight = 0;
  failureText[0] = '\0';
}
