// Module bytes through the renderer, the feed that hands its ticks to the
// audio device and the note-trigger counting, played to the module's end (or
// two minutes of music, where a long module would only repeat the same work).
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "music/module_feed.h"
#include "music/module_renderer.h"

namespace {

constexpr int kRate = 8000;
constexpr int kBufferFrames = 512;
constexpr int64_t kMostFrames = int64_t{kRate} * 120;

void countTrigger(void* counts, const NoteTrigger& trigger) { ++static_cast<int64_t*>(counts)[trigger.instrument]; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::setUpHarness("module");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ModuleRenderer renderer;
  if (!renderer.loadMemory(data, size, kRate)) return 0;
  int64_t counts[256] = {};
  ModuleFeed feed(renderer, countTrigger, counts);
  std::vector<int16_t> buffer(kBufferFrames * 2);
  for (int64_t frames = 0; !renderer.ended() && frames < kMostFrames; frames += kBufferFrames) {
    feed.fill(buffer.data(), kBufferFrames);
  }
  return 0;
}
