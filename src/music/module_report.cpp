#include "music/module_report.h"

#include <cstdio>

#include "music/module_renderer.h"

std::string moduleLoadNote(const char* name, const ModuleRenderer& renderer, bool loaded) {
  if (name == nullptr) name = "";
  char text[512];
  text[0] = '\0';
  if (!loaded) {
    std::snprintf(text, sizeof text, "Music file \"%s\" not loaded: %s", name, renderer.failure());
    return text;
  }
  // A file that ends early explains its silent samples too: one note says it.
  const ModuleExtent& extent = renderer.extent();
  if (extent.missingSamples > 0) {
    std::snprintf(text, sizeof text, "%s ends early: %d of its %d samples are missing; the music plays without them",
                  name, extent.missingSamples, extent.announcedSamples);
  } else if (renderer.silencedSamples() > 0) {
    std::snprintf(text, sizeof text, "Music file \"%s\" is damaged: %d of its samples have no data and stay silent",
                  name, renderer.silencedSamples());
  }
  return text;
}

void reportModuleLoad(const char* name, const ModuleRenderer& renderer, bool loaded) {
  const std::string note = moduleLoadNote(name, renderer, loaded);
  if (!note.empty()) std::fprintf(stderr, "%s\n", note.c_str());
}
