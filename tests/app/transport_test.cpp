// The transport on a fake clock, with the audio thread's calls made by hand:
// the counts every frame reads are those of the show's clock, whatever the
// sound device does, and the music follows that clock.
#include "app/transport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "music/music_clock.h"
#include "music/sample_playback.h"
#include "music/trigger_index.h"
#include "render/show_state.h"

namespace {

constexpr int kRate = 1000;

// A hand-made soundtrack at 1000 frames a second: sample i is i, notes of
// instrument 1 every 100 frames from 50 on, of instrument 4 at 600 and 2048.
struct HandMade {
  TriggerTimeline timeline;
  std::vector<int16_t> samples;
  HandMade() {
    timeline.loaded = true;
    timeline.rate = kRate;
    timeline.lengthFrames = 8000;
    for (int64_t f = 50; f < 8000; f += 100) timeline.triggers.push_back({f, 0, 1});
    timeline.triggers.push_back({600, 1, 4});
    timeline.triggers.push_back({2048, 1, 4});
    std::sort(timeline.triggers.begin(), timeline.triggers.end(),
              [](const TimedTrigger& a, const TimedTrigger& b) { return a.frame < b.frame; });
    for (int16_t i = 0; i < 8000; ++i) samples.insert(samples.end(), {i, i});
  }
};

class TransportTest : public testing::Test {
 protected:
  TransportTest()
      : transport_(
            song_.timeline, [this] { return now_; }, &music_),
        playback_(music_, song_.samples, kRate) {}

  // One 100-frame buffer of the audio thread, heard now; returns its first sample.
  int16_t fill() {
    std::vector<int16_t> buffer(100 * 2);
    playback_.fill(buffer.data(), 100, now_);
    return buffer[0];
  }
  // What a frame drawn now reads.
  NoteCounts frameCounts() {
    transport_.setCounts(transport_.time());
    return {showState.instrument1Hits, showState.instrument4Hits};
  }

  HandMade song_;
  double now_ = 10.0;
  MusicClock music_;
  Transport transport_;
  SamplePlayback playback_;
};

// The device stops asking for sound for four seconds (a stall, a suspend):
// every frame meanwhile reads the counts of its own time, and the next
// buffer is the music of the clock's time.
TEST_F(TransportTest, AStalledDeviceNeitherHoldsTheCountsNorTheMusicBack) {
  transport_.play();
  for (int i = 0; i < 10; ++i) {
    fill();
    now_ += 0.1;
  }
  const TriggerIndex notes(song_.timeline);
  for (int frame = 0; frame < 240; ++frame) {
    now_ += 1.0 / 60;
    const NoteCounts counts = frameCounts();
    EXPECT_EQ(counts.instrument1, notes.countsAt(transport_.time()).instrument1) << frame;
    EXPECT_EQ(counts.instrument4, notes.countsAt(transport_.time()).instrument4) << frame;
  }
  EXPECT_NEAR(transport_.time(), 5.0, 1e-9);
  EXPECT_EQ(frameCounts().instrument1, 50);
  EXPECT_EQ(frameCounts().instrument4, 2);
  EXPECT_EQ(fill(), 5000) << "the sound resumes where the clock is";
}

// However near a seek goes, the music and the counts are there at once:
// nothing from before the seek is heard or read after it.
TEST_F(TransportTest, ASeekMovesTheMusicAndTheCountsThereAtOnce) {
  transport_.play();
  EXPECT_EQ(fill(), 0);
  now_ += 0.1;
  EXPECT_EQ(fill(), 100);
  const struct {
    double to;
    int hits1, hits4;
  } seeks[] = {
      {0.11, 1, 0},
      // 10 ms past what the last buffer handed out: within the drift
      // allowed, and moved all the same.
      {0.22, 2, 0},
      {0.6, 6, 1},
      {2.048, 20, 2},
      {0.049, 0, 0},
  };
  for (const auto& s : seeks) {
    SCOPED_TRACE(s.to);
    transport_.setPosition(s.to);
    EXPECT_EQ(frameCounts().instrument1, s.hits1);
    EXPECT_EQ(frameCounts().instrument4, s.hits4);
    EXPECT_EQ(fill(), static_cast<int16_t>(std::llround(s.to * kRate)));
  }
}

// Paused, the show time and the music hold, and the counts with them; played
// again, both go on from the frame held.
TEST_F(TransportTest, PauseHoldsTheTimeTheMusicAndTheCounts) {
  transport_.play();
  now_ += 1.234;
  transport_.pause(1.2);
  EXPECT_FALSE(transport_.isPlaying());
  now_ += 3.0;
  EXPECT_EQ(transport_.time(), 1.2);
  EXPECT_EQ(fill(), 0);
  EXPECT_EQ(frameCounts().instrument1, 12);
  transport_.play();
  EXPECT_EQ(fill(), 1200);
  now_ += 0.5;
  EXPECT_NEAR(transport_.time(), 1.7, 1e-9);
  EXPECT_EQ(frameCounts().instrument1, 17);
}

// A player heard a little off the clock is nudged back over seconds rather
// than moved: meanwhile a frame counts the notes as they are heard. Held, and
// from a start or a seek on, where the player moves, as the clock has them.
TEST_F(TransportTest, WhileThePlayerIsNudgedBackANoteIsCountedAsItIsHeard) {
  transport_.play();
  const struct {
    double ahead, at;
    int hits1;
  } cases[] = {
      {0.0, 0.145, 1}, {0.010, 0.145, 2}, {0.004, 0.145, 1}, {0.0, 0.155, 2}, {-0.010, 0.155, 1}, {-0.004, 0.155, 2},
  };
  for (const auto& c : cases) {
    music_.hear(c.ahead);
    now_ = 10.0 + c.at;
    EXPECT_EQ(frameCounts().instrument1, c.hits1) << c.ahead << " s ahead at " << c.at;
  }
  music_.hear(0.010);
  transport_.pause(0.145);
  EXPECT_EQ(frameCounts().instrument1, 1) << "held";
  music_.hear(0.010);
  transport_.play();
  EXPECT_EQ(frameCounts().instrument1, 1) << "started again";
  music_.hear(0.010);
  transport_.setPosition(0.145);
  EXPECT_EQ(frameCounts().instrument1, 1) << "a seek";
}

// A module reloaded: the counts are its notes' from then on.
TEST_F(TransportTest, AReloadedModulesNotesAreTheOnesCounted) {
  transport_.setPosition(3.0);
  EXPECT_EQ(frameCounts().instrument1, 30);
  TriggerTimeline fewer = song_.timeline;
  fewer.triggers.resize(10);
  transport_.useTimeline(fewer);
  EXPECT_EQ(frameCounts().instrument1, TriggerIndex(fewer).countsAt(3.0).instrument1);
  EXPECT_LT(frameCounts().instrument1, 30);
}

// The plain show: the music starts a while into the show time, and no note
// counts before it.
TEST(Transport, CountsAreOfTheMusicTimeFromTheMusicsStart) {
  const HandMade song;
  const Transport transport(song.timeline, {}, nullptr, 0.75);
  const struct {
    double showTime;
    int hits1;
  } cases[] = {{0.0, 0}, {0.79, 0}, {0.8, 1}, {0.85, 1}, {0.9, 2}, {10.0, 80}};
  for (const auto& c : cases) {
    transport.setCounts(c.showTime);
    EXPECT_EQ(showState.instrument1Hits, c.hits1) << c.showTime;
  }
}

}  // namespace
