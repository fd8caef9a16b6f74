// A display device for tests: every operation is recorded by name, and each
// can be told to fail or to give a particular surface.
#pragma once

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform/display_device.h"

class FakeDisplayDevice final : public DisplayDevice {
 public:
  // What the device offers.
  std::string failingStep;                  // the operation that fails, e.g. "createDevice"
  std::set<int32_t> depths = {32, 24, 16};  // bit depths whose mode can be set
  int32_t mostBackBuffers = 2;              // 1 refuses two back buffers, 0 gives only a bare primary
  DisplayPixelFormat format = {true, 32, 0xFF0000, 0xFF00, 0xFF, 0};
  int32_t extraPitch = 0;     // bytes after each row of the surface
  bool bottomUp = false;      // rows stored last first, with a negative pitch
  int32_t surfaceWidth = -1;  // the surface's size; -1 follows the display mode
  int32_t surfaceHeight = -1;
  std::deque<DisplayMessage> messages;
  intptr_t defaultResult = 1234;
  static constexpr uint8_t kUntouched = 0xEE;

  // What happened.
  std::vector<std::string> calls;
  std::vector<uint8_t> surface;  // the back buffer's bytes, kUntouched where never written
  int32_t pitch = 0;             // bytes per surface row, as stored
  int32_t surfaceRows = 0;
  int exitCode = -1;

  bool loadDriver() override { return step("loadDriver"); }
  bool findDriverEntry() override { return step("findDriverEntry"); }
  bool createDevice() override { return step("createDevice"); }
  void registerWindowClass(const char* className, DisplayWindowProc procedure) override;
  void useWindow(int32_t width, int32_t height) override {
    calls.push_back("useWindow " + std::to_string(width) + "x" + std::to_string(height));
  }
  void createWindow(const char* className, const char* title) override;
  bool setExclusiveFullscreen() override { return step("setExclusiveFullscreen"); }
  bool setDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel) override;
  bool createPrimarySurface(int32_t backBufferCount) override;
  bool attachBackBuffer() override;
  bool getPixelFormat(DisplayPixelFormat* pixelFormat) override;
  void setScreenSaverActive(bool active) override;
  bool peekMessage(DisplayMessage* message) override;
  void dispatchMessage(const DisplayMessage& message) override;
  void sleep(int32_t milliseconds) override;
  void restorePrimary() override { calls.push_back("restorePrimary"); }
  bool lockBackBuffer(LockedSurface* locked) override;
  void unlockBackBuffer(uint8_t* pixels) override;
  void flip() override { calls.push_back("flip"); }
  void hideCursor() override { calls.push_back("hideCursor"); }
  intptr_t defaultWindowProc(const DisplayMessage& message) override;
  void releasePrimary() override { calls.push_back("releasePrimary"); }
  void restoreDisplayMode() override { calls.push_back("restoreDisplayMode"); }
  void setNormalCooperation() override { calls.push_back("setNormalCooperation"); }
  void releaseDevice() override { calls.push_back("releaseDevice"); }
  void destroyWindow() override { calls.push_back("destroyWindow"); }
  void freeDriver() override { calls.push_back("freeDriver"); }
  void exitProcess(int code) override;
  const char* failureReason() const override { return "the fake was told to fail"; }

  // The calls recorded since the last time this was asked.
  std::vector<std::string> takeCalls();

 private:
  bool step(const std::string& name);

  DisplayWindowProc windowProc = nullptr;
  int32_t modeWidth = 0;
  int32_t modeHeight = 0;
  int32_t backBuffers = 0;
  uint8_t* lockedPixels = nullptr;
};
