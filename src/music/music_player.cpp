#include "music/music_player.h"

#include <cstdio>
#include <cstring>

#include "music/heard_counts.h"
#include "music/instrument_counters.h"
#include "music/module_feed.h"
#include "music/module_renderer.h"
#include "platform/audio_latency.h"
#include "platform/audio_output.h"
#include "platform/platform.h"

namespace {

// Only instruments 1 and 4 have the callback installed.
void countTrigger(void* song, const NoteTrigger& trigger) {
  if (trigger.instrument == 1 || trigger.instrument == 4) countInstrumentHit(song, trigger.instrument);
}

}  // namespace

MusicPlayer::~MusicPlayer() {
  platform::closeAudioOutput(output_);
  delete feed_.load();
  delete song;
}

void MusicPlayer::fillOutput(void* player, int16_t* frames, int frameCount) {
  ModuleFeed* feed = static_cast<MusicPlayer*>(player)->feed_.load(std::memory_order_acquire);
  if (feed != nullptr) {
    feed->fill(frames, frameCount);
    recordRenderedBuffer(platform::audioOutputLatency());
  } else {
    std::memset(frames, 0, static_cast<size_t>(frameCount) * 2 * sizeof(int16_t));
  }
}

MusicPlayer& MusicPlayer::open(const char* name, uint8_t kind, int rate, int /*channels*/) {
  if (output_ != 0) return *this;  // opened once; a second open changes nothing
  fileName = name;

  auto* renderer = new ModuleRenderer();
  if (!renderer->hasPlayer()) {
    platform::showMessageBox("Error", "The music player cannot start.");
    delete renderer;
    platform::exitProcess(1);
  }

  platform::AudioOutputStatus status;
  output_ = platform::openAudioOutput(rate, kMusicBufferFrames, fillOutput, this, &status);
  if (!status.running) {
    char text[320];
    std::snprintf(text, sizeof text, "No sound output can start, not even a silent one (%s).", status.reason);
    platform::showMessageBox("Error", text);
    delete renderer;
    platform::exitProcess(1);
  }
  if (status.silent) std::fprintf(stderr, "Sound unavailable (%s): the music plays silently\n", status.reason);

  if (kind != kMusicModule) {
    delete renderer;
    return *this;
  }
  if (name == nullptr || !renderer->loadFile(name, rate)) {
    std::fprintf(stderr, "Music file \"%s\" not loaded: %s\n", name != nullptr ? name : "", renderer->failure());
    delete renderer;
    return *this;
  }
  if (renderer->silencedSamples() > 0) {
    std::fprintf(stderr, "Music file \"%s\" is damaged: %d of its samples have no data and stay silent\n", name,
                 renderer->silencedSamples());
  }
  song = renderer;
  return *this;
}

void MusicPlayer::play(uint8_t kind) {
  if (kind != kMusicModule || song == nullptr || feed_.load() != nullptr) return;
  startHeardCounts();
  feed_.store(new ModuleFeed(*song, countTrigger, song), std::memory_order_release);
}
