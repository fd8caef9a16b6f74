// Device-sized buffers cut from tick-sized ones: same sound, same triggers,
// each trigger reported with the buffer that carries its tick's first frame.
#include "music/module_feed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

#include "feed_recording.h"
#include "music/music_clock.h"
#include "music/trigger_index.h"
#include "music/trigger_timeline.h"

namespace {

using feed_recording::playInBuffersOf;
using feed_recording::Recorded;

TEST(ModuleFeed, AnyBufferSizeGivesTheSameSoundAndTriggers) {
  const int64_t moduleFrames = 16 * 6 * 882;
  const Recorded reference = playInBuffersOf(882, moduleFrames + 4000);
  ASSERT_FALSE(reference.triggers.empty());
  for (int bufferFrames : {1, 37, 512, 1000, 4096}) {
    SCOPED_TRACE(bufferFrames);
    const Recorded r = playInBuffersOf(bufferFrames, moduleFrames + 4000);
    ASSERT_GE(r.audio.size(), static_cast<size_t>(moduleFrames) * 2);
    EXPECT_TRUE(std::equal(r.audio.begin(), r.audio.begin() + moduleFrames * 2, reference.audio.begin()));
    ASSERT_EQ(r.triggers.size(), reference.triggers.size());
    for (size_t i = 0; i < r.triggers.size(); ++i) {
      EXPECT_EQ(r.triggers[i].second.channel, reference.triggers[i].second.channel);
      EXPECT_EQ(r.triggers[i].second.instrument, reference.triggers[i].second.instrument);
      // With 882-frame buffers every buffer is one tick, so the reference
      // frame is the tick's first; the trigger must come in the buffer
      // holding that frame.
      const int64_t tickStart = reference.triggers[i].first;
      EXPECT_LE(r.triggers[i].first, tickStart);
      EXPECT_GT(r.triggers[i].first + bufferFrames, tickStart);
    }
  }
}

TEST(ModuleFeed, AfterTheEndOnlySilenceComesOut) {
  const int64_t moduleFrames = 16 * 6 * 882;
  const Recorded r = playInBuffersOf(700, moduleFrames + 20000);
  const auto silentFrom = r.audio.begin() + moduleFrames * 2;
  EXPECT_TRUE(std::all_of(silentFrom, r.audio.end(), [](int16_t v) { return v == 0; }));
  EXPECT_TRUE(std::any_of(r.audio.begin(), silentFrom, [](int16_t v) { return v != 0; }));
}

// The note index, built from the module played offline, counts the notes
// of instruments 1 and 4 that the feed reports, each from its tick's frame.
TEST(ModuleFeed, TheNoteIndexCountsTheFeedsTriggersOfInstrumentsOneAndFour) {
  const Recorded r = playInBuffersOf(882, 16 * 6 * 882);
  int ones = 0;
  int fours = 0;
  const std::vector<uint8_t> bytes = small_modules::bytes(feed_recording::busyModule());
  const TriggerIndex notes(scanTriggerTimeline(bytes.data(), bytes.size(), feed_recording::kRate));
  std::map<int64_t, NoteCounts> after;  // once each tick's triggers are in
  for (const auto& [frame, t] : r.triggers) {
    ones += t.instrument == 1;
    fours += t.instrument == 4;
    after[frame] = {ones, fours};
  }
  // With tick-sized buffers, a trigger's buffer starts on its tick.
  for (const auto& [frame, counts] : after) {
    const double at = static_cast<double>(frame) / feed_recording::kRate;
    EXPECT_EQ(notes.countsAt(at).instrument1, counts.instrument1) << frame;
    EXPECT_EQ(notes.countsAt(at).instrument4, counts.instrument4) << frame;
  }
  // busyModule: instrument 2 (index 1) on rows 1, 7, 13 and the six delayed
  // notes; instrument 5 (index 4) on rows 4 and 10.
  EXPECT_EQ(ones, 3 + 6);
  EXPECT_EQ(fours, 2);
  EXPECT_EQ(notes.countsAt(1e9).instrument1, ones);
  EXPECT_EQ(notes.countsAt(1e9).instrument4, fours);
}

// The plain show's feed after a stall of its device: the music is played on
// unheard up to the clock's place, in steps so that no buffer takes long,
// silent meanwhile, and then sounds as the module does exactly there. Stalls
// whose last step leaves less than the drift a player lets pass must still
// end on the clock's frame.
TEST(ModuleFeed, FollowingTheClockItCatchesUpAfterAStallInShortSteps) {
  const int64_t moduleFrames = 16 * 6 * 882;
  const Recorded reference = playInBuffersOf(882, moduleFrames);
  const std::vector<uint8_t> bytes = small_modules::bytes(feed_recording::busyModule());
  for (const double stall : {1.0, 0.75, 0.51}) {
    SCOPED_TRACE(stall);
    ModuleRenderer renderer;
    ASSERT_TRUE(renderer.loadMemory(bytes.data(), bytes.size(), feed_recording::kRate));
    ModuleFeed feed(renderer, nullptr, nullptr);
    const MusicPlace place{true, 0.0, 0.0, 1, 0};
    std::vector<int16_t> buffer(512 * 2);
    feed.follow(buffer.data(), 512, place, 0.0);
    ASSERT_EQ(feed.position(), 512);

    double heardAt = stall;
    int catchingUp = 0;
    for (;; heardAt += 512.0 / feed_recording::kRate) {
      const int64_t before = feed.position();
      feed.follow(buffer.data(), 512, place, heardAt);
      const int64_t moved = feed.position() - before;
      ASSERT_LE(moved, (ModuleFeed::kCatchUpPerFrame + 1) * 512);
      // Caught up or not, nothing from the way there is heard.
      if (feed.position() < std::llround(heardAt * feed_recording::kRate)) {
        ASSERT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](int16_t v) { return v == 0; }));
      }
      if (moved == 512) break;
      ASSERT_LT(++catchingUp, 20);
    }
    EXPECT_GE(catchingUp, 1) << "the catch-up comes in steps";
    EXPECT_EQ(feed.position(), std::llround(heardAt * feed_recording::kRate) + 512);

    const int64_t at = feed.position();
    feed.follow(buffer.data(), 512, place, heardAt + 512.0 / feed_recording::kRate);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), reference.audio.begin() + at * 2));
  }
}

}  // namespace
