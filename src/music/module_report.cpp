#include "music/module_report.h"

#include <cstdio>

#include "music/module_renderer.h"

void reportModuleLoad(const char* name, const ModuleRenderer& renderer, bool loaded) {
  if (name == nullptr) name = "";
  if (!loaded) {
    std::fprintf(stderr, "Music file \"%s\" not loaded: %s\n", name, renderer.failure());
    return;
  }
  // A file that ends early explains its silent samples too: one note says it.
  const ModuleExtent& extent = renderer.extent();
  if (extent.missingSamples > 0) {
    std::fprintf(stderr, "%s ends early: %d of its %d samples are missing; the music plays without them\n", name,
                 extent.missingSamples, extent.announcedSamples);
  } else if (renderer.silencedSamples() > 0) {
    std::fprintf(stderr, "Music file \"%s\" is damaged: %d of its samples have no data and stay silent\n", name,
                 renderer.silencedSamples());
  }
}
