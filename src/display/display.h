// The fullscreen display: opening it, presenting the framebuffer once per
// frame, its window's messages, and giving the screen back.
#pragma once

#include <cstdint>

#include "display/pixel_converters.h"
#include "platform/display_device.h"

// Opens the window and a fullscreen mode of width x height, and picks the
// pixel converter. 1 when ready, 0 on any failure; a failure undoes nothing.
// `title` names the window and must outlive the display.
int displayOpen(const char* title, int32_t width, int32_t height);

// Asks for the picture in an ordinary window of width x height instead of
// the full screen, scaled with its aspect kept; applies to the next
// displayOpen. A device that only knows the full screen ignores it.
void displayUseWindow(int32_t width, int32_t height);

// Empties the window's message queue (Escape and close requests end the
// process in there), then, while the application is active, converts the
// framebuffer's height rows of width words into the back buffer and flips.
// 1 when shown or skipped while inactive, 0 when the back buffer would not lock.
int displayPresent(const uint32_t* framebuffer);

// Gives the screen back to the desktop and frees every display resource.
void displayClose();

// Receives every key press but Escape's, as its virtual-key code
// (platform/display_device.h), on the thread that presents.
using DisplayKeyHandler = void (*)(void* user, uint32_t virtualKey);

// Without a handler (the default) every key but Escape is ignored; with one,
// the other keys go to it. nullptr removes it.
void displaySetKeyHandler(DisplayKeyHandler handler, void* user);

// The display window's message handler.
intptr_t displayWindowProc(const DisplayMessage& message);

// Why displayOpen failed, in a few words; "" when it did not.
const char* displayFailureReason();

// The converter displayOpen picked, or nullptr before a successful open.
PixelConverter displayPixelConverter();

// Makes the display use another device (tests install fakes; nullptr goes
// back to the platform's own) and returns the display state to closed.
void setDisplayDevice(DisplayDevice* device);
