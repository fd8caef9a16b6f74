#include "fake_display_device.h"

bool FakeDisplayDevice::step(const std::string& name) {
  calls.push_back(name);
  return name != failingStep;
}

void FakeDisplayDevice::registerWindowClass(const char* className, DisplayWindowProc procedure) {
  calls.push_back(std::string("registerWindowClass ") + className);
  windowProc = procedure;
}

void FakeDisplayDevice::createWindow(const char* className, const char* title) {
  calls.push_back(std::string("createWindow ") + className + " / " + title);
}

bool FakeDisplayDevice::setDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel) {
  calls.push_back("setDisplayMode " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                  std::to_string(bitsPerPixel));
  if (depths.count(bitsPerPixel) == 0) return false;
  modeWidth = width;
  modeHeight = height;
  return true;
}

bool FakeDisplayDevice::createPrimarySurface(int32_t backBufferCount) {
  calls.push_back("createPrimarySurface " + std::to_string(backBufferCount));
  if (failingStep == "createPrimarySurface" || backBufferCount > mostBackBuffers) return false;
  backBuffers = backBufferCount;
  const int32_t width = surfaceWidth >= 0 ? surfaceWidth : modeWidth;
  surfaceRows = surfaceHeight >= 0 ? surfaceHeight : modeHeight;
  pitch = width * static_cast<int32_t>(format.bitCount / 8) + extraPitch;
  surface.assign(static_cast<size_t>(pitch) * static_cast<size_t>(surfaceRows), kUntouched);
  return true;
}

bool FakeDisplayDevice::attachBackBuffer() { return step("attachBackBuffer") && backBuffers > 0; }

bool FakeDisplayDevice::getPixelFormat(DisplayPixelFormat* pixelFormat) {
  if (!step("getPixelFormat")) return false;
  *pixelFormat = format;
  return true;
}

void FakeDisplayDevice::setScreenSaverActive(bool active) {
  calls.push_back(active ? "screenSaverOn" : "screenSaverOff");
}

bool FakeDisplayDevice::peekMessage(DisplayMessage* message) {
  if (messages.empty()) return false;
  *message = messages.front();
  messages.pop_front();
  return true;
}

void FakeDisplayDevice::dispatchMessage(const DisplayMessage& message) {
  calls.push_back("dispatch");
  if (windowProc != nullptr) windowProc(message);
}

void FakeDisplayDevice::sleep(int32_t milliseconds) { calls.push_back("sleep " + std::to_string(milliseconds)); }

bool FakeDisplayDevice::lockBackBuffer(LockedSurface* locked) {
  if (!step("lockBackBuffer")) return false;
  lockedPixels = surface.data();
  locked->pitch = pitch;
  if (bottomUp && surfaceRows > 0) {
    lockedPixels = surface.data() + static_cast<size_t>(pitch) * static_cast<size_t>(surfaceRows - 1);
    locked->pitch = -pitch;
  }
  locked->pixels = lockedPixels;
  locked->width = surfaceWidth >= 0 ? surfaceWidth : modeWidth;
  locked->height = surfaceRows;
  return true;
}

void FakeDisplayDevice::unlockBackBuffer(uint8_t* pixels) {
  calls.push_back(pixels == lockedPixels ? "unlockBackBuffer" : "unlockBackBuffer with a wrong pointer");
}

intptr_t FakeDisplayDevice::defaultWindowProc(const DisplayMessage&) {
  calls.push_back("defaultWindowProc");
  return defaultResult;
}

void FakeDisplayDevice::exitProcess(int code) {
  calls.push_back("exitProcess " + std::to_string(code));
  exitCode = code;
}

std::vector<std::string> FakeDisplayDevice::takeCalls() {
  std::vector<std::string> taken;
  taken.swap(calls);
  return taken;
}
