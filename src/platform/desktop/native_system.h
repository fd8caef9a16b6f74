// What the process services of system.cpp ask of the operating system: one
// implementation per system (posix/system.cpp, windows/system.cpp), chosen by
// the build.
#pragma once

namespace platform {

// True when this system could put a box on a screen at all.
bool nativeScreenAvailable();

// A modal box with an OK button, owned by no window; returns once it is closed.
void showNativeMessageBox(const char* caption, const char* text);

}  // namespace platform
