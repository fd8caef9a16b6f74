#include "music/music_player.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "music/module_feed.h"
#include "music/module_renderer.h"
#include "music/module_report.h"
#include "platform/audio_latency.h"
#include "platform/audio_output.h"
#include "platform/platform.h"

MusicPlayer::~MusicPlayer() {
  platform::closeAudioOutput(output_);
  delete feed_.load();
  delete song;
}

void MusicPlayer::fillOutput(void* player, int16_t* frames, int frameCount) {
  auto* self = static_cast<MusicPlayer*>(player);
  ModuleFeed* feed = self->feed_.load(std::memory_order_acquire);
  if (feed != nullptr) {
    self->clock_.hear(
        feed->follow(frames, frameCount, self->clock_.place(), musicRealTime() + platform::audioOutputLatency()));
    self->position_.store(feed->position(), std::memory_order_relaxed);
  } else {
    std::memset(frames, 0, static_cast<size_t>(frameCount) * 2 * sizeof(int16_t));
  }
}

int startMusicOutput(int rate, platform::AudioFill fill, void* user) {
  platform::AudioOutputStatus status;
  const int output = platform::openAudioOutput(rate, kMusicBufferFrames, fill, user, &status);
  if (!status.running) {
    char text[320];
    std::snprintf(text, sizeof text, "No sound output can start, not even a silent one (%s).", status.reason);
    platform::showMessageBox("Error", text);
    platform::exitProcess(1);
  }
  if (status.silent) std::fprintf(stderr, "Sound unavailable (%s): the music plays silently\n", status.reason);
  return output;
}

MusicPlayer& MusicPlayer::open(const char* name, uint8_t kind, int rate, int /*channels*/) {
  if (output_ != 0) return *this;  // opened once; a second open changes nothing
  fileName = name;

  auto renderer = std::make_unique<ModuleRenderer>();
  if (!renderer->hasPlayer()) {
    platform::showMessageBox("Error", "The music player cannot start.");
    renderer.reset();
    platform::exitProcess(1);
  }

  output_ = startMusicOutput(rate, fillOutput, this);
  if (kind != kMusicModule) return *this;
  const bool loaded = renderer->loadFile(name, rate);
  reportModuleLoad(name, *renderer, loaded);
  if (loaded) {
    timeline_ = scanTriggerTimelineFile(name, rate);
    song = renderer.release();
  }
  return *this;
}

void MusicPlayer::play(uint8_t kind) {
  if (kind != kMusicModule || song == nullptr || feed_.load() != nullptr) return;
  feed_.store(new ModuleFeed(*song, nullptr, nullptr), std::memory_order_release);
}
