// The soundtrack played from its offline samples where the music clock says:
// the same sound as the module feed, held, moved by a seek, and back at the
// clock's place after a stall.
#include "music/sample_playback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "feed_recording.h"
#include "music/music_clock.h"
#include "music/trigger_timeline.h"

namespace {

using feed_recording::busyModule;
using feed_recording::kRate;
using feed_recording::playInBuffersOf;
using feed_recording::Recorded;

// The same module rendered offline and played from its samples: the same
// sound as the feed, buffer after buffer, on a clock that runs from 0.
TEST(SamplePlayback, FromTheStartItSoundsAsTheModuleFeed) {
  const int64_t moduleFrames = 16 * 6 * 882;
  const Recorded feed = playInBuffersOf(512, moduleFrames + 2048);
  const std::vector<uint8_t> bytes = small_modules::bytes(busyModule());
  std::vector<int16_t> samples;
  const TriggerTimeline timeline = scanTriggerTimeline(bytes.data(), bytes.size(), kRate, &samples);
  ASSERT_TRUE(timeline.loaded);
  MusicClock clock;
  clock.run(0.0, 10.0, true);
  SamplePlayback playback(clock, samples, kRate);
  std::vector<int16_t> buffer(512 * 2);
  int64_t start = 0;
  for (; start < moduleFrames + 2048; start += 512) {
    playback.fill(buffer.data(), 512, 10.0 + static_cast<double>(start) / kRate);
    ASSERT_TRUE(std::equal(buffer.begin(), buffer.end(), feed.audio.begin() + start * 2)) << start;
  }
  EXPECT_EQ(playback.position(), start);
}

// A hand-made soundtrack at 1000 frames a second: sample i is i (both
// channels), 4000 frames long.
struct HandMade {
  std::vector<int16_t> samples;
  HandMade() {
    for (int16_t i = 0; i < 4000; ++i) samples.insert(samples.end(), {i, i});
  }
};

bool silent(const std::vector<int16_t>& buffer) {
  return std::all_of(buffer.begin(), buffer.end(), [](int16_t v) { return v == 0; });
}

TEST(SamplePlayback, AHeldClockGivesSilenceAndTheMusicGoesOnFromWhereItIsHeld) {
  HandMade song;
  MusicClock clock;
  SamplePlayback playback(clock, song.samples, 1000);
  std::vector<int16_t> buffer(100 * 2);
  clock.run(0.0, 0.0, true);
  playback.fill(buffer.data(), 100, 0.0);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(buffer[198], 99);

  clock.stop(0.1, false);
  for (double t : {0.1, 0.2, 5.0}) {
    playback.fill(buffer.data(), 100, t);
    EXPECT_TRUE(silent(buffer)) << t;
  }
  EXPECT_EQ(playback.position(), 100);

  clock.run(0.1, 7.0, false);
  playback.fill(buffer.data(), 100, 7.0);
  EXPECT_EQ(buffer[0], 100) << "resumed on the frame held";
  // 5 ms late: within the tolerance, the sound goes on unbroken.
  playback.fill(buffer.data(), 100, 7.105);
  EXPECT_EQ(buffer[0], 200);
}

// Wherever a seek goes, however near, the next buffer starts there; before
// the music and after its end it is silence.
TEST(SamplePlayback, ASeekMovesTheMusicThereAtOnce) {
  HandMade song;
  MusicClock clock;
  SamplePlayback playback(clock, song.samples, 1000);
  std::vector<int16_t> buffer(100 * 2);
  clock.run(1.0, 0.0, true);
  playback.fill(buffer.data(), 100, 0.0);
  ASSERT_EQ(buffer[0], 1000);
  const struct {
    double seconds;
    int16_t first;  // the first sample heard, or -1 for silence
  } cases[] = {{1.105, 1105}, {1.2, 1200}, {0.05, 50}, {3.95, 3950}, {-0.5, -1}, {4.5, -1}};
  double now = 1.0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    clock.run(c.seconds, now, true);
    playback.fill(buffer.data(), 100, now);
    if (c.first < 0) {
      EXPECT_TRUE(silent(buffer));
    } else {
      EXPECT_EQ(buffer[0], c.first);
    }
    now += 1.0;
  }
}

// The device stops asking for sound for five seconds (a stall, a suspend):
// the next buffer is the music of the clock's time, not of where it stopped.
// A buffer heard early (the device asked ahead) is silence until the clock
// has caught up with what was handed out.
TEST(SamplePlayback, AfterAStallTheMusicIsWhereTheClockIsAndAheadOfItWaits) {
  HandMade song;
  MusicClock clock;
  SamplePlayback playback(clock, song.samples, 1000);
  std::vector<int16_t> buffer(100 * 2);
  clock.run(0.0, 50.0, true);
  for (int i = 0; i < 5; ++i) playback.fill(buffer.data(), 100, 50.0 + i * 0.1);
  EXPECT_EQ(playback.position(), 500);
  playback.fill(buffer.data(), 100, 53.0);
  EXPECT_EQ(buffer[0], 3000) << "moved to the clock's place after the stall";
  EXPECT_EQ(playback.position(), 3100);

  // A pull within two buffers of its time is the device's burst, not a drift:
  // waiting or skipping there put gaps into the sound of a busy machine.
  playback.fill(buffer.data(), 100, 53.05);  // 50 ms early
  EXPECT_EQ(buffer[0], 3100) << "plays on from the last frame handed out";
  playback.fill(buffer.data(), 100, 53.35);  // 50 ms late
  EXPECT_EQ(buffer[0], 3200) << "plays on from the last frame handed out";

  playback.fill(buffer.data(), 100, 53.05);  // 250 ms early: more than two buffers
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](int16_t v) { return v == 0; })) << "waits in silence";
  EXPECT_EQ(playback.position(), 3300);
}

// The device's latency: a buffer heard 30 ms after it is written holds the
// music of the moment it is heard.
TEST(SamplePlayback, ABufferHoldsTheMusicOfTheMomentItIsHeard) {
  HandMade song;
  MusicClock clock;
  SamplePlayback playback(clock, song.samples, 1000);
  std::vector<int16_t> buffer(100 * 2);
  clock.run(0.0, 0.0, true);
  playback.fill(buffer.data(), 100, 1.0 + 0.030);
  EXPECT_EQ(buffer[0], 1030);
}

}  // namespace
