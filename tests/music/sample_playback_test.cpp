// The soundtrack played from its offline samples: the same sound and counts
// as the module feed, and pause and seek that keep the counts to the sound.
#include "music/sample_playback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "feed_recording.h"
#include "music/instrument_counters.h"
#include "music/trigger_timeline.h"

namespace {

using feed_recording::busyModule;
using feed_recording::kRate;
using feed_recording::playInBuffersOf;
using feed_recording::Recorded;

// The same module rendered offline and played from its samples: the same
// sound, and after every buffer the same counts as the feed's triggers.
TEST(SamplePlayback, FromTheStartItSoundsAndCountsAsTheModuleFeed) {
  const int64_t moduleFrames = 16 * 6 * 882;
  const Recorded feed = playInBuffersOf(512, moduleFrames + 2048);
  const std::vector<uint8_t> bytes = small_modules::bytes(busyModule());
  std::vector<int16_t> samples;
  const TriggerTimeline timeline = scanTriggerTimeline(bytes.data(), bytes.size(), kRate, &samples);
  ASSERT_TRUE(timeline.loaded);
  SamplePlayback playback(timeline, samples);
  playback.setPaused(false);
  std::vector<int16_t> buffer(512 * 2);
  int64_t start = 0;
  for (; start < moduleFrames + 2048; start += 512) {
    playback.fill(buffer.data(), 512);
    ASSERT_TRUE(std::equal(buffer.begin(), buffer.end(), feed.audio.begin() + start * 2)) << start;
    int ones = 0;
    int fours = 0;
    for (const auto& [bufferStart, t] : feed.triggers) {
      if (bufferStart > start) break;
      ones += t.instrument == 1;
      fours += t.instrument == 4;
    }
    ASSERT_EQ(instrument1Hits.load(), ones) << start;
    ASSERT_EQ(instrument4Hits.load(), fours) << start;
  }
  EXPECT_EQ(playback.position(), start);
}

// A hand-made soundtrack: sample i is i (both channels), notes of
// instrument 1 at frames 100 and 1500, of instrument 4 at 600 and 2048.
struct HandMade {
  TriggerTimeline timeline;
  std::vector<int16_t> samples;
  HandMade() {
    timeline.loaded = true;
    timeline.rate = 1000;
    timeline.lengthFrames = 4000;
    timeline.triggers = {{100, 0, 1}, {600, 1, 4}, {1500, 0, 1}, {1700, 2, 3}, {2048, 1, 4}};
    for (int16_t i = 0; i < 4000; ++i) samples.insert(samples.end(), {i, i});
  }
};

TEST(SamplePlayback, PauseHoldsTheSampleAndCountsNoNote) {
  HandMade song;
  SamplePlayback playback(song.timeline, song.samples);
  std::vector<int16_t> buffer(512 * 2);
  playback.setPaused(false);
  playback.fill(buffer.data(), 512);
  EXPECT_EQ(buffer[1022], 511);
  EXPECT_EQ(instrument1Hits.load(), 1);
  EXPECT_EQ(instrument4Hits.load(), 0);

  playback.setPaused(true);
  for (int i = 0; i < 4; ++i) {
    playback.fill(buffer.data(), 512);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](int16_t v) { return v == 0; }));
  }
  EXPECT_EQ(playback.position(), 512);
  EXPECT_EQ(instrument4Hits.load(), 0) << "the note at 600 waits while paused";

  playback.setPaused(false);
  playback.fill(buffer.data(), 512);
  EXPECT_EQ(buffer[0], 512) << "resumed on the sample after the last one heard";
  EXPECT_EQ(instrument1Hits.load(), 1);
  EXPECT_EQ(instrument4Hits.load(), 1);
  // The note at 2048 is the first frame of the fourth buffer from here.
  const int expectedFours[] = {1, 1, 2};
  for (int expected : expectedFours) {
    playback.fill(buffer.data(), 512);
    EXPECT_EQ(instrument4Hits.load(), expected) << playback.position();
  }
  EXPECT_EQ(instrument1Hits.load(), 2);
}

// Wherever a seek goes, the position and both counts are those of that
// music time, and the next buffer counts only the notes it carries.
TEST(SamplePlayback, SeekSetsThePlaceAndTheCountsTogether) {
  HandMade song;
  SamplePlayback playback(song.timeline, song.samples);
  playback.setPaused(false);
  std::vector<int16_t> buffer(100 * 2);
  const struct {
    double seconds;
    int64_t position;
    int hits1, hits4;            // right after the seek
    int hits1After, hits4After;  // after one buffer of 100 frames
  } cases[] = {
      {1.5, 1500, 2, 1, 2, 1},  // the note on the very frame is counted once
      {0.05, 50, 0, 0, 1, 0},
      {2.0479, 2048, 2, 1, 2, 2},  // 2047.9 frames: the note at 2048 comes with the next buffer
      {0.6004, 600, 1, 1, 1, 1},
      {3.9, 3900, 2, 2, 2, 2},  // 100 frames: 3900 .. 3999, the last of the music
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    playback.seek(c.seconds);
    EXPECT_EQ(playback.position(), c.position);
    EXPECT_EQ(instrument1Hits.load(), c.hits1);
    EXPECT_EQ(instrument4Hits.load(), c.hits4);
    EXPECT_EQ(instrument1Hits.load(), song.timeline.hitsUpTo(1, c.seconds));
    EXPECT_EQ(instrument4Hits.load(), song.timeline.hitsUpTo(4, c.seconds));
    playback.fill(buffer.data(), 100);
    EXPECT_EQ(buffer[0], static_cast<int16_t>(c.position));
    EXPECT_EQ(instrument1Hits.load(), c.hits1After);
    EXPECT_EQ(instrument4Hits.load(), c.hits4After);
  }
  playback.fill(buffer.data(), 100);
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](int16_t v) { return v == 0; })) << "after the end";
}

}  // namespace
