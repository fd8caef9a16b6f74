// The operating-system services the engine needs that are not display or
// sound: message boxes, the high-resolution counter, sleeping and leaving the
// process. Everything here is implemented on SDL and the operating system;
// no engine header includes a system header.
#pragma once

#include <cstdint>

namespace platform {

// A modal box with a caption and an OK button, owned by no window. The same
// text also goes to standard error as one line "caption: text". Without a
// display (no DISPLAY or WAYLAND_DISPLAY, or SDL's offscreen/dummy video
// driver) only the standard error line is written, so nothing ever blocks.
void showMessageBox(const char* caption, const char* text);

// True when a message box would be shown on a screen, not only written.
bool messageBoxesVisible();

// From now on messages only go to standard error: for tools that run the
// show's code unattended.
void keepMessagesOffScreen();

// The high-resolution counter: a frequency in counts per second, queried
// once, and readings that count from the counter's own origin.
bool queryCounterFrequency(int64_t* frequency);
int64_t readCounter();

void sleepMilliseconds(int milliseconds);

// Called by exitProcess before the process ends, in reverse order of
// registration; the sound output registers its shutdown here so that the
// process never ends under a running audio callback.
void atProcessExit(void (*hook)());

// Ends the process with the given exit code after the registered hooks ran
// and standard output and error were flushed.
[[noreturn]] void exitProcess(int code);

}  // namespace platform
