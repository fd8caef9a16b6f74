// The operating-system services the engine needs that are not display or
// sound: message boxes, the high-resolution counter, sleeping and leaving the
// process. Everything here is implemented on SDL and the operating system;
// no engine header includes a system header.
#pragma once

#include <cstdint>
#include <cstdio>

namespace platform {

// Opens a file for reading ("r" or "rb") only when it is a regular file after
// following symlinks. A directory, FIFO or device gives nullptr like a missing
// file, so a reader never blocks on a pipe nor reads endless data; errno is
// then EISDIR for a directory and EINVAL for any other kind. `size`, when
// given, receives the file's size in bytes.
FILE* openRegularFile(const char* path, const char* mode, int64_t* size = nullptr);

// A modal box with a caption and an OK button, owned by no window. The same
// text also goes to standard error, each of its lines as "caption: line". Without a
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

// The calling thread gives way to the others while the processors are busy:
// for work in the background that must not hold the frames up.
void lowerThreadPriority();

// True when standard error goes to a terminal a person watches, not to a file or pipe.
bool standardErrorIsTerminal();

// Called by exitProcess before the process ends, in reverse order of
// registration; the sound output registers its shutdown here so that the
// process never ends under a running audio callback.
void atProcessExit(void (*hook)());

// Ends the process with the given exit code after the registered hooks ran
// and standard output and error were flushed.
[[noreturn]] void exitProcess(int code);

// For fuzz harnesses, which must go on after an input that would end the
// program: once set, exitProcess calls `instead` (after the hooks and the
// flush) where it would end the process. It must not return: it throws.
void interceptExit(void (*instead)(int code));

}  // namespace platform
