// The counts the scenes read lag the rendered ones by the reported output
// latency, and equal them where none is reported.
#include "music/heard_counts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "music/instrument_counters.h"

namespace {

struct Buffer {
  double heardAt;
  NoteCounts after;
};

struct Case {
  const char* what;
  std::vector<Buffer> buffers;
  double now;
  int32_t expected1;
  int32_t expected4;
};

TEST(HeardCounts, AreThoseOfTheLastBufferHeardByNow) {
  const std::vector<Buffer> three = {{1.0, {2, 0}}, {1.5, {3, 1}}, {2.0, {5, 1}}};
  const Case cases[] = {
      {"before any buffer is heard: the counts before the music", three, 0.9, 7, 4},
      {"from the moment a buffer is heard", three, 1.0, 2, 0},
      {"between two buffers: the earlier", three, 1.7, 3, 1},
      {"after the last one", three, 9.0, 5, 1},
      {"nothing recorded", {}, 5.0, 7, 4},
      // A latency that drops from 0.5 s to 0.1 s: the newer buffer is heard
      // first, and the older one never comes back.
      {"a shorter latency overtakes", {{1.5, {2, 0}}, {1.2, {3, 0}}}, 1.3, 3, 0},
  };
  for (const Case& c : cases) {
    HeardCounts heard;
    heard.restart({7, 4});
    for (const Buffer& b : c.buffers) heard.record(b.heardAt, b.after);
    const NoteCounts got = heard.at(c.now);
    EXPECT_EQ(got.instrument1, c.expected1) << c.what;
    EXPECT_EQ(got.instrument4, c.expected4) << c.what;
  }
}

TEST(HeardCounts, KeepTheNewestBuffersWhenTheyWrapAround) {
  HeardCounts heard;
  heard.restart({0, 0});
  const int total = static_cast<int>(HeardCounts::kSlots) * 2 + 17;
  for (int i = 1; i <= total; ++i) heard.record(i, {i, i / 10});
  EXPECT_EQ(heard.at(total - 3.5).instrument1, total - 4);
  EXPECT_EQ(heard.at(total).instrument1, total);
  // All kept buffers still to come: the oldest kept, not the newest.
  EXPECT_EQ(heard.at(0.5).instrument1, total - static_cast<int>(HeardCounts::kSlots) + 1);
}

// The player's side against the platform's clock: with no latency the scenes
// read the counters themselves; with one, the counts wait for it.
TEST(HeardCounts, FollowTheCountersUnlessALatencyIsReported) {
  instrument1Hits = 10;
  instrument4Hits = 1;
  startHeardCounts();
  instrument1Hits = 11;
  recordRenderedBuffer(0.0);
  EXPECT_EQ(heardInstrument1Hits(), 11);
  instrument1Hits = 12;
  EXPECT_EQ(heardInstrument1Hits(), 12) << "read as they stand, between buffers too";

  instrument1Hits = 13;
  recordRenderedBuffer(0.0);
  instrument4Hits = 2;
  recordRenderedBuffer(1.0);
  instrument1Hits = 14;
  recordRenderedBuffer(1.0);
  EXPECT_EQ(heardInstrument1Hits(), 13) << "heard: the last buffer rendered without a latency";
  EXPECT_EQ(heardInstrument4Hits(), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_EQ(heardInstrument1Hits(), 14);
  EXPECT_EQ(heardInstrument4Hits(), 2);

  // A new start forgets the delay until one is reported again.
  startHeardCounts();
  instrument1Hits = 20;
  EXPECT_EQ(heardInstrument1Hits(), 20);
  instrument1Hits = 0;
  instrument4Hits = 0;
}

}  // namespace
