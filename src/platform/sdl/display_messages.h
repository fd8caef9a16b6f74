// SDL events as the display window's messages.
#pragma once

#include <SDL.h>

#include "platform/display_device.h"

namespace platform {

struct TranslatedEvent {
  DisplayMessage messages[2];
  int count = 0;
  bool texturesLost = false;  // the renderer was reset: the back buffer must be made anew
  bool exposed = false;       // the window system lost part of the picture and wants it again
};

// Window events of other windows become `other` messages. Every event gives
// at least one message, so the queue is emptied the way a window's is.
// `windowed`: the show is in an ordinary window, not the full screen.
TranslatedEvent translateSdlEvent(const SDL_Event& event, uint32_t windowId, bool windowed);

// A Win32-style virtual-key code for the keys the show could care about
// (27 for Escape, letters as upper case, digits, and the rehearsal's Space,
// arrows, Home, Page Up/Down, '.' and ','), else 0.
uint32_t virtualKeyFor(SDL_Keycode key);

// The character of a text-input event as one byte: ASCII as it is, anything
// else '?', so no multi-byte character can pass for the Escape character.
uint32_t characterFor(const char* utf8Text);

}  // namespace platform
