// Device-sized buffers cut from tick-sized ones: same sound, same triggers,
// each trigger reported with the buffer that carries its tick's first frame.
#include "music/module_feed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "feed_recording.h"
#include "music/instrument_counters.h"

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

TEST(ModuleFeed, CountingTheTriggersRaisesOnlyInstrumentsOneAndFour) {
  const Recorded r = playInBuffersOf(512, 16 * 6 * 882);
  int ones = 0;
  int fours = 0;
  instrument1Hits = 0;
  instrument4Hits = 0;
  for (const auto& [frame, t] : r.triggers) {
    ones += t.instrument == 1;
    fours += t.instrument == 4;
    countInstrumentHit(nullptr, t.instrument);
  }
  // busyModule: instrument 2 (index 1) on rows 1, 7, 13 and the six delayed
  // notes; instrument 5 (index 4) on rows 4 and 10.
  EXPECT_EQ(ones, 3 + 6);
  EXPECT_EQ(fours, 2);
  EXPECT_EQ(instrument1Hits.load(), ones);
  EXPECT_EQ(instrument4Hits.load(), fours);
}

}  // namespace
