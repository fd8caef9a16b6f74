#include "music/trigger_timeline.h"

#include "music/module_renderer.h"
#include "platform/loading_progress.h"

namespace {

void playThrough(ModuleRenderer& renderer, TriggerTimeline* timeline, std::vector<int16_t>* audio) {
  timeline->loaded = true;
  timeline->rate = renderer.rate();
  std::vector<int16_t> buffer(static_cast<size_t>(renderer.maxTickFrames()) * 2);
  RenderedTick tick;
  while (renderer.renderTick(buffer.data(), renderer.maxTickFrames(), &tick) && tick.frames > 0) {
    if (audio != nullptr) audio->insert(audio->end(), buffer.begin(), buffer.begin() + tick.frames * 2);
    for (int i = 0; i < tick.triggerCount; ++i) {
      timeline->triggers.push_back(
          TimedTrigger{tick.firstFrame, tick.triggers[i].channel, tick.triggers[i].instrument});
    }
    platform::reportMusicRendered(static_cast<double>(renderer.framesRendered()) / renderer.rate());
  }
  timeline->lengthFrames = renderer.framesRendered();
}

}  // namespace

double TriggerTimeline::timeOfHit(int instrument, int n) const {
  int seen = 0;
  for (const TimedTrigger& t : triggers) {
    if (t.instrument == instrument && ++seen == n) return static_cast<double>(t.frame) / rate;
  }
  return -1.0;
}

TriggerTimeline scanTriggerTimeline(const void* moduleData, size_t size, int rate, std::vector<int16_t>* audio) {
  TriggerTimeline timeline;
  ModuleRenderer renderer;
  if (renderer.loadMemory(moduleData, size, rate)) playThrough(renderer, &timeline, audio);
  return timeline;
}

TriggerTimeline scanTriggerTimelineFile(const char* path, int rate, std::vector<int16_t>* audio) {
  TriggerTimeline timeline;
  ModuleRenderer renderer;
  if (renderer.loadFile(path, rate)) playThrough(renderer, &timeline, audio);
  return timeline;
}

TriggerTimeline scanTriggerTimeline(ModuleRenderer& renderer, std::vector<int16_t>* audio) {
  TriggerTimeline timeline;
  if (renderer.loaded()) playThrough(renderer, &timeline, audio);
  return timeline;
}
