// The transport moved from the main thread while the audio thread plays:
// seeks, pauses and reloads with SDL's dummy driver running the callback in
// real time. Run under ThreadSanitizer (.ci/tsan), where any data race
// between the two threads is reported.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

#include "app/transport.h"
#include "music/music_clock.h"
#include "music/sample_playback.h"
#include "music/trigger_timeline.h"
#include "platform/audio_output.h"
#include "render/show_state.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRate = 44100;

TEST(TransportWithAudio, SeeksPausesAndReloadsWhileTheCallbackRuns) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  TriggerTimeline timeline;
  timeline.loaded = true;
  timeline.rate = kRate;
  timeline.lengthFrames = 10 * kRate;
  std::vector<int16_t> samples;
  for (int64_t f = 0; f < timeline.lengthFrames; ++f) {
    if (f % 4410 == 0) timeline.triggers.push_back({f, 0, f % 8820 == 0 ? 1 : 4});
    const auto v = static_cast<int16_t>(f % 2000 - 1000);
    samples.insert(samples.end(), {v, v});
  }

  MusicClock music;
  SamplePlayback playback(music, samples, kRate);
  Transport transport(
      timeline, [] { return musicRealTime(); }, &music);
  platform::AudioOutputStatus status;
  const int output = platform::openAudioOutput(kRate, 512, SamplePlayback::fillOutput, &playback, &status);
  ASSERT_TRUE(status.running) << status.reason;
  transport.play();

  for (int i = 0; i < 120; ++i) {
    switch (i % 4) {
      case 0:
        transport.setPosition((i * 37 % 90) / 10.0);
        break;
      case 1:
        transport.pause(transport.time());
        break;
      case 2:
        transport.play();
        break;
      default:
        playback.replace(samples, kRate);
        transport.useTimeline(timeline);
        break;
    }
    transport.setCounts(transport.time());
    std::this_thread::sleep_for(5ms);
  }
  // Still playing: the callback hands out the music from the place sought on.
  transport.setPosition(1.0);
  std::this_thread::sleep_for(200ms);
  EXPECT_GT(playback.position(), kRate);
  platform::closeAudioOutput(output);
  EXPECT_GE(showState.instrument1Hits, 1);
}

}  // namespace
