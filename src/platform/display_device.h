// The display and window services the display logic runs on: a fullscreen
// mode of the framebuffer's size, a flip chain whose back buffer can be locked
// for direct writing, the surface's pixel format, and the window's messages.
// Each platform supplies its own (displayDevice below); tests install fakes.
#pragma once

#include <cstdint>

enum class DisplayMessageKind : uint8_t {
  activateApp,  // value: nonzero when the application became active, 0 when it lost the screen
  close,        // the window was asked to close, or the process to quit
  keyDown,      // value: virtual-key code (27 is Escape)
  character,    // value: character code (27 is the Escape character)
  setCursor,    // the mouse is over the window and wants a cursor
  other,        // everything else, left to the default handling
};

// The Win32 virtual-key codes keyDown carries for the keys the show knows;
// letters are their upper-case character, digits their own.
namespace virtualkey {
inline constexpr uint32_t escape = 0x1B;
inline constexpr uint32_t space = 0x20;
inline constexpr uint32_t pageUp = 0x21;
inline constexpr uint32_t pageDown = 0x22;
inline constexpr uint32_t home = 0x24;
inline constexpr uint32_t left = 0x25;
inline constexpr uint32_t right = 0x27;
inline constexpr uint32_t comma = 0xBC;
inline constexpr uint32_t period = 0xBE;
}  // namespace virtualkey

struct DisplayMessage {
  DisplayMessageKind kind = DisplayMessageKind::other;
  uint32_t value = 0;
};

// The window's message handler, entered through DisplayDevice::dispatchMessage.
using DisplayWindowProc = intptr_t (*)(const DisplayMessage& message);

struct DisplayPixelFormat {
  bool rgb = false;  // false for palette-indexed and other non-RGB formats
  uint32_t bitCount = 0;
  uint32_t redMask = 0;
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
  uint32_t alphaMask = 0;
};

// A locked back buffer: the top row's first byte, the signed distance in bytes
// from one row's start to the next, and the surface's size in pixels.
struct LockedSurface {
  uint8_t* pixels = nullptr;
  int32_t pitch = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// Operations in the order the display logic first uses them. Results that
// the logic does not rely on are void.
class DisplayDevice {
 public:
  virtual ~DisplayDevice() = default;

  virtual bool loadDriver() = 0;
  virtual bool findDriverEntry() = 0;
  virtual bool createDevice() = 0;
  virtual void registerWindowClass(const char* className, DisplayWindowProc windowProc) = 0;
  // Called before createWindow only when the picture should go into an
  // ordinary window of this size instead of the full screen; the mode set
  // later stays the framebuffer's size, scaled into the window. A device
  // that only knows the full screen keeps to it.
  virtual void useWindow(int32_t /*width*/, int32_t /*height*/) {}
  virtual void createWindow(const char* className, const char* title) = 0;
  virtual bool setExclusiveFullscreen() = 0;
  virtual bool setDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel) = 0;
  // A primary surface with a flip chain of backBufferCount back buffers, or a
  // bare primary surface without any when the count is 0.
  virtual bool createPrimarySurface(int32_t backBufferCount) = 0;
  virtual bool attachBackBuffer() = 0;
  virtual bool getPixelFormat(DisplayPixelFormat* format) = 0;
  virtual void setScreenSaverActive(bool active) = 0;
  virtual bool peekMessage(DisplayMessage* message) = 0;
  // Translates the message and hands it to the registered window procedure.
  virtual void dispatchMessage(const DisplayMessage& message) = 0;
  virtual void sleep(int32_t milliseconds) = 0;
  virtual void restorePrimary() = 0;
  virtual bool lockBackBuffer(LockedSurface* surface) = 0;
  virtual void unlockBackBuffer(uint8_t* pixels) = 0;
  virtual void flip() = 0;
  virtual void hideCursor() = 0;
  virtual intptr_t defaultWindowProc(const DisplayMessage& message) = 0;
  virtual void releasePrimary() = 0;
  virtual void restoreDisplayMode() = 0;
  virtual void setNormalCooperation() = 0;
  virtual void releaseDevice() = 0;
  virtual void destroyWindow() = 0;
  virtual void freeDriver() = 0;
  // Ends the process; the real device never returns from it.
  virtual void exitProcess(int code) = 0;

  // Why the last failing operation failed, in a few words.
  virtual const char* failureReason() const = 0;
};

namespace platform {

// The display device of the platform the show was built for.
DisplayDevice& displayDevice();

}  // namespace platform
