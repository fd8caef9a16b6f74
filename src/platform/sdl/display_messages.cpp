#include "platform/sdl/display_messages.h"

namespace platform {

namespace {

DisplayMessage message(DisplayMessageKind kind, uint32_t value = 0) { return DisplayMessage{kind, value}; }

void add(TranslatedEvent& translated, DisplayMessage m) {
  if (translated.count < 2) translated.messages[translated.count++] = m;
}

void translateWindowEvent(const SDL_WindowEvent& window, bool windowed, TranslatedEvent& translated) {
  switch (window.event) {
    // Without a window manager focus may never come: being shown is enough.
    case SDL_WINDOWEVENT_SHOWN:
      add(translated, message(DisplayMessageKind::activateApp, 1));
      add(translated, message(DisplayMessageKind::setCursor));
      return;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      add(translated, message(DisplayMessageKind::activateApp, 1));
      return;
    case SDL_WINDOWEVENT_HIDDEN:
    case SDL_WINDOWEVENT_MINIMIZED:
      add(translated, message(DisplayMessageKind::activateApp, 0));
      return;
    // A full screen that loses the focus has lost its screen; a window on a
    // desktop plays on beside the others, as a video player does.
    case SDL_WINDOWEVENT_FOCUS_LOST:
      add(translated, message(windowed ? DisplayMessageKind::other : DisplayMessageKind::activateApp, 0));
      return;
    case SDL_WINDOWEVENT_EXPOSED:
      translated.exposed = true;
      add(translated, message(DisplayMessageKind::other));
      return;
    case SDL_WINDOWEVENT_ENTER:
      add(translated, message(DisplayMessageKind::setCursor));
      return;
    case SDL_WINDOWEVENT_CLOSE:
      add(translated, message(DisplayMessageKind::close));
      return;
    default:
      add(translated, message(DisplayMessageKind::other));
      return;
  }
}

}  // namespace

TranslatedEvent translateSdlEvent(const SDL_Event& event, uint32_t windowId, bool windowed) {
  TranslatedEvent translated;
  switch (event.type) {
    case SDL_WINDOWEVENT:
      if (event.window.windowID == windowId) {
        translateWindowEvent(event.window, windowed, translated);
      } else {
        add(translated, message(DisplayMessageKind::other));
      }
      break;
    case SDL_QUIT:  // also what SIGINT and SIGTERM become
      add(translated, message(DisplayMessageKind::close));
      break;
    case SDL_KEYDOWN:
      add(translated, message(DisplayMessageKind::keyDown, virtualKeyFor(event.key.keysym.sym)));
      break;
    case SDL_TEXTINPUT:
      add(translated, message(DisplayMessageKind::character, characterFor(event.text.text)));
      break;
    case SDL_MOUSEMOTION:
      add(translated, message(DisplayMessageKind::setCursor));
      break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      translated.texturesLost = true;
      add(translated, message(DisplayMessageKind::other));
      break;
    default:
      add(translated, message(DisplayMessageKind::other));
      break;
  }
  return translated;
}

uint32_t virtualKeyFor(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>('0' + (key - SDLK_0));
  switch (key) {
    case SDLK_ESCAPE:
      return virtualkey::escape;
    case SDLK_BACKSPACE:
      return 8;
    case SDLK_TAB:
      return 9;
    case SDLK_RETURN:
      return 13;
    case SDLK_SPACE:
      return virtualkey::space;
    case SDLK_PAGEUP:
      return virtualkey::pageUp;
    case SDLK_PAGEDOWN:
      return virtualkey::pageDown;
    case SDLK_HOME:
      return virtualkey::home;
    case SDLK_LEFT:
      return virtualkey::left;
    case SDLK_RIGHT:
      return virtualkey::right;
    case SDLK_PERIOD:
      return virtualkey::period;
    case SDLK_COMMA:
      return virtualkey::comma;
    default:
      return 0;
  }
}

uint32_t characterFor(const char* utf8Text) {
  const auto first = static_cast<unsigned char>(utf8Text[0]);
  return first < 0x80 ? first : static_cast<uint32_t>('?');
}

}  // namespace platform
