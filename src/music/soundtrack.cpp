#include "music/soundtrack.h"

#include <utility>

#include "music/module_renderer.h"
#include "music/module_report.h"

bool loadSoundtrack(const char* path, int rate, Soundtrack* soundtrack, std::string* message) {
  ModuleRenderer renderer;
  if (!renderer.hasPlayer()) {
    *message = "The music player cannot start.";
    return false;
  }
  const bool loaded = renderer.loadFile(path, rate);
  if (!loaded) {
    *message = moduleLoadNote(path, renderer, loaded);
    return false;
  }
  // A module that plays with parts missing is named as the plain show names it.
  reportModuleLoad(path, renderer, loaded);
  Soundtrack rendered;
  rendered.timeline = scanTriggerTimeline(renderer, &rendered.samples);
  *soundtrack = std::move(rendered);
  message->clear();
  return true;
}
