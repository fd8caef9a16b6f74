// Note triggers found while small modules play, and how playing ends.
#include "music/module_renderer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "music/module_report.h"
#include "music/trigger_timeline.h"
#include "protracker_module.h"
#include "small_modules.h"

namespace {

using small_modules::cell;
using small_modules::kC4;
using small_modules::kG4;

constexpr int kRate = 44100;
constexpr int kTickFrames = 882;  // 44100 Hz * 2.5 s / 125 BPM
constexpr int kSpeed = 6;

struct Placed {
  int row;
  int channel;
  xm::Cell cell;
};

struct Expected {
  int row;
  int tick;
  int channel;
  int instrument;  // from 0
};

struct TriggerCase {
  const char* name;
  std::vector<Placed> cells;
  std::vector<Expected> triggers;
};

std::vector<TimedTrigger> triggersOf(const std::vector<Placed>& cells, int channels = 8, int rows = 8) {
  xm::Module m = small_modules::module(channels, rows);
  for (const Placed& p : cells) m.patterns[0].at(p.row, p.channel) = p.cell;
  const std::vector<uint8_t> bytes = small_modules::bytes(m);
  const TriggerTimeline timeline = scanTriggerTimeline(bytes.data(), bytes.size(), kRate);
  EXPECT_TRUE(timeline.loaded);
  return timeline.triggers;
}

const std::vector<TriggerCase>& triggerCases() {
  static const std::vector<TriggerCase> cases = {
      {"instruments 2 and 5 of the tracker are 1 and 4, on several channels",
       {{0, 0, cell(kC4, 2)}, {0, 1, cell(kG4, 5)}, {0, 5, cell(kC4, 2)}, {2, 3, cell(kC4, 5)}},
       {{0, 0, 0, 1}, {0, 0, 1, 4}, {0, 0, 5, 1}, {2, 0, 3, 4}}},
      {"other instruments start notes under their own numbers",
       {{1, 0, cell(kC4, 1)}, {1, 1, cell(kC4, 3)}, {1, 2, cell(kC4, 6)}},
       {{1, 0, 0, 0}, {1, 0, 1, 2}, {1, 0, 2, 5}}},
      {"a note without instrument sounds with the channel's last one",
       {{0, 2, cell(kC4, 5)}, {1, 2, cell(kG4, 0)}, {3, 2, cell(kC4, 0)}},
       {{0, 0, 2, 4}, {1, 0, 2, 4}, {3, 0, 2, 4}}},
      {"an instrument number alone changes the channel's instrument",
       {{0, 0, cell(kC4, 5)}, {1, 0, cell(0, 2)}, {2, 0, cell(kC4, 0)}},
       {{0, 0, 0, 4}, {2, 0, 0, 1}}},
      {"a note on a channel that never had an instrument starts nothing",
       {{0, 4, cell(kC4, 0)}, {1, 4, cell(kG4, 0)}},
       {}},
      {"key-off, with or without instrument, starts nothing",
       {{0, 0, cell(kC4, 2)}, {2, 0, cell(xm::kKeyOff, 0)}, {4, 0, cell(xm::kKeyOff, 2)}},
       {{0, 0, 0, 1}}},
      {"tone portamento in the effect or the volume column starts nothing",
       {{0, 0, cell(kC4, 2)},
        {1, 0, cell(kG4, 2, xm::kTonePorta, 0x20)},
        {2, 0, cell(kC4, 0, xm::kTonePortaVolSlide, 0x01)},
        {3, 0, cell(kG4, 2, 0, 0, 0xF4)},
        {4, 0, cell(kC4, 2, xm::kVibrato, 0x44)}},
       {{0, 0, 0, 1}, {4, 0, 0, 1}}},
      {"a delayed note starts once, on its tick",
       {{1, 0, cell(kC4, 2, xm::kExtended, 0xD3)}, {2, 1, cell(kC4, 5, xm::kExtended, 0xD5)}},
       {{1, 3, 0, 1}, {2, 5, 1, 4}}},
      {"a delay of zero starts on the row's first tick", {{1, 0, cell(kC4, 2, xm::kExtended, 0xD0)}}, {{1, 0, 0, 1}}},
      {"a delay past the row's last tick never starts",
       {{1, 0, cell(kC4, 2, xm::kExtended, 0xD6)}, {1, 1, cell(kC4, 5, xm::kExtended, 0xD9)}},
       {}},
      {"all eight channels starting on one tick all count",
       {{3, 0, cell(kC4, 2)},
        {3, 1, cell(kC4, 2)},
        {3, 2, cell(kG4, 2)},
        {3, 3, cell(kG4, 5)},
        {3, 4, cell(kC4, 5)},
        {3, 5, cell(kC4, 2)},
        {3, 6, cell(kC4, 2)},
        {3, 7, cell(kG4, 5)}},
       {{3, 0, 0, 1},
        {3, 0, 1, 1},
        {3, 0, 2, 1},
        {3, 0, 3, 4},
        {3, 0, 4, 4},
        {3, 0, 5, 1},
        {3, 0, 6, 1},
        {3, 0, 7, 4}}},
      {"a delayed note and a plain one in the same row start on their own ticks",
       {{5, 0, cell(kC4, 5, xm::kExtended, 0xD2)}, {5, 1, cell(kC4, 5)}},
       {{5, 0, 1, 4}, {5, 2, 0, 4}}},
  };
  return cases;
}

TEST(ModuleRendererTriggers, EachCaseStartsExactlyTheExpectedNotes) {
  for (const TriggerCase& c : triggerCases()) {
    SCOPED_TRACE(c.name);
    const std::vector<TimedTrigger> found = triggersOf(c.cells);
    ASSERT_EQ(found.size(), c.triggers.size());
    for (size_t i = 0; i < found.size(); ++i) {
      const Expected& e = c.triggers[i];
      EXPECT_EQ(found[i].frame, static_cast<int64_t>(e.row * kSpeed + e.tick) * kTickFrames) << "trigger " << i;
      EXPECT_EQ(found[i].channel, e.channel) << "trigger " << i;
      EXPECT_EQ(found[i].instrument, e.instrument) << "trigger " << i;
    }
  }
}

TEST(ModuleRendererTriggers, ReplayedRowsOfAPatternLoopCountEachTime) {
  // E60 marks row 0, E62 on row 1 plays rows 0-1 twice more.
  const std::vector<TimedTrigger> found =
      triggersOf({{0, 0, cell(kC4, 2, xm::kExtended, 0x60)}, {1, 1, cell(kC4, 5, xm::kExtended, 0x62)}});
  std::vector<int> rows;
  for (const TimedTrigger& t : found) rows.push_back(static_cast<int>(t.frame / (kSpeed * kTickFrames)));
  EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST(ModuleRendererTriggers, SpeedChangeMovesDelayedNotesWithTheShorterRows) {
  // F03 on row 0: every row lasts 3 ticks, so row 2's ED2 starts on tick 3*2+2.
  const std::vector<TimedTrigger> found =
      triggersOf({{0, 0, cell(0, 0, xm::kSetSpeed, 3)}, {2, 1, cell(kC4, 2, xm::kExtended, 0xD2)}});
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].frame, (3 * 2 + 2) * kTickFrames);
}

// --- playing once -------------------------------------------------------

class PlayedModule : public ::testing::Test {
 protected:
  void load(const xm::Module& m) {
    bytes_ = small_modules::bytes(m);
    ASSERT_TRUE(renderer_.loadMemory(bytes_.data(), bytes_.size(), kRate)) << renderer_.failure();
    buffer_.assign(static_cast<size_t>(renderer_.maxTickFrames()) * 2, 0);
  }

  // Renders up to `frames` frames; returns the triggers of instruments 1 and 4.
  std::pair<int, int> renderFor(int64_t frames) {
    int ones = 0;
    int fours = 0;
    RenderedTick tick;
    int64_t done = 0;
    while (done < frames) {
      EXPECT_TRUE(renderer_.renderTick(buffer_.data(), renderer_.maxTickFrames(), &tick));
      done += tick.frames == 0 ? kTickFrames : tick.frames;  // silence after the end still passes time
      for (int i = 0; i < tick.triggerCount; ++i) {
        ones += tick.triggers[i].instrument == 1;
        fours += tick.triggers[i].instrument == 4;
      }
    }
    return {ones, fours};
  }

  std::vector<uint8_t> bytes_;
  ModuleRenderer renderer_;
  std::vector<int16_t> buffer_;
};

xm::Module twoOrderModule() {
  xm::Module m = small_modules::module(4, 4);
  m.patterns[0].at(0, 0) = cell(kC4, 2);
  m.patterns[0].at(1, 1) = cell(kC4, 5);
  m.patterns[0].at(2, 2) = cell(kG4, 2);
  m.orders = {0, 0};  // the pattern twice is one pass
  return m;
}

TEST_F(PlayedModule, TwiceTheLengthGivesTheCountsOfOnePass) {
  load(twoOrderModule());
  const int64_t length = 2 * 4 * kSpeed * kTickFrames;
  const auto [ones, fours] = renderFor(2 * length);
  EXPECT_EQ(ones, 4);
  EXPECT_EQ(fours, 2);
  EXPECT_TRUE(renderer_.ended());
  EXPECT_EQ(renderer_.framesRendered(), length);
}

TEST_F(PlayedModule, AfterTheEndTicksAreEmpty) {
  load(twoOrderModule());
  renderFor(2 * 4 * kSpeed * kTickFrames);
  RenderedTick tick;
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(renderer_.renderTick(buffer_.data(), renderer_.maxTickFrames(), &tick));
    EXPECT_EQ(tick.frames, 0);
    EXPECT_EQ(tick.triggerCount, 0);
  }
}

TEST_F(PlayedModule, AJumpBackToTheStartEndsThePass) {
  xm::Module m = twoOrderModule();
  m.patterns[0].at(3, 3) = cell(0, 0, xm::kPositionJump, 0);  // B00 would loop forever
  m.orders = {0};
  load(m);
  const auto [ones, fours] = renderFor(10 * 4 * kSpeed * kTickFrames);
  EXPECT_EQ(ones, 2);
  EXPECT_EQ(fours, 1);
  EXPECT_EQ(renderer_.framesRendered(), 4 * kSpeed * kTickFrames);
}

TEST_F(PlayedModule, TickLengthFollowsTheTempo) {
  xm::Module m = small_modules::module(2, 2, 2, 6, 150);
  load(m);
  RenderedTick tick;
  ASSERT_TRUE(renderer_.renderTick(buffer_.data(), renderer_.maxTickFrames(), &tick));
  EXPECT_EQ(tick.frames, 735);  // 44100 * 2.5 / 150
  EXPECT_EQ(tick.firstFrame, 0);
  ASSERT_TRUE(renderer_.renderTick(buffer_.data(), renderer_.maxTickFrames(), &tick));
  EXPECT_EQ(tick.firstFrame, 735);
}

TEST_F(PlayedModule, ANoteIsHeardAndAnEmptyRowIsSilent) {
  xm::Module m = small_modules::module(2, 4);
  m.patterns[0].at(2, 0) = cell(kC4, 1);
  load(m);
  RenderedTick tick;
  auto loudest = [&] {
    int peak = 0;
    for (int i = 0; i < tick.frames * 2; ++i) peak = std::max(peak, std::abs(static_cast<int>(buffer_[i])));
    return peak;
  };
  for (int t = 0; t < 2 * kSpeed; ++t) {
    ASSERT_TRUE(renderer_.renderTick(buffer_.data(), renderer_.maxTickFrames(), &tick));
    EXPECT_EQ(loudest(), 0) << "tick " << t;
  }
  ASSERT_TRUE(renderer_.renderTick(buffer_.data(), renderer_.maxTickFrames(), &tick));
  EXPECT_GT(loudest(), 1000);
}

TEST_F(PlayedModule, ADelayedNoteIsHeardFromTheTickItIsCountedOn) {
  xm::Module m = small_modules::module(2, 2);
  m.patterns[0].at(0, 1) = cell(kC4, 2, xm::kExtended, 0xD4);
  load(m);
  RenderedTick tick;
  for (int t = 0; t < kSpeed; ++t) {
    SCOPED_TRACE(t);
    ASSERT_TRUE(renderer_.renderTick(buffer_.data(), renderer_.maxTickFrames(), &tick));
    int peak = 0;
    for (int i = 0; i < tick.frames * 2; ++i) peak = std::max(peak, std::abs(static_cast<int>(buffer_[i])));
    EXPECT_EQ(tick.triggerCount, t == 4 ? 1 : 0);
    if (t < 4) {
      EXPECT_EQ(peak, 0);
    } else {
      EXPECT_GT(peak, 1000);
    }
  }
}

TEST_F(PlayedModule, ASmallBufferIsRefusedAndNothingIsPlayed) {
  load(twoOrderModule());
  RenderedTick tick;
  EXPECT_FALSE(renderer_.renderTick(buffer_.data(), kTickFrames, &tick));
  EXPECT_EQ(renderer_.framesRendered(), 0);
}

// --- loading ------------------------------------------------------------

TEST(ModuleRendererLoad, FailuresSayWhyAndLeaveNothingLoaded) {
  ModuleRenderer renderer;
  ASSERT_TRUE(renderer.hasPlayer());
  EXPECT_FALSE(renderer.loadFile("no such module.xm", kRate));
  EXPECT_STREQ(renderer.failure(), "No such file or directory");
  EXPECT_FALSE(renderer.loaded());
  EXPECT_FALSE(renderer.loadFile("/tmp", kRate));
  EXPECT_STREQ(renderer.failure(), "Is a directory");
  EXPECT_FALSE(renderer.loadFile("/dev/zero", kRate));
  EXPECT_STREQ(renderer.failure(), "not a regular file");
  EXPECT_FALSE(renderer.loadFile("/proc/self/mem", kRate));
  EXPECT_STREQ(renderer.failure(), "cannot be read");

  const std::vector<uint8_t> garbage(4000, 0x5A);
  EXPECT_FALSE(renderer.loadMemory(garbage.data(), garbage.size(), kRate));
  EXPECT_STRNE(renderer.failure(), "");
  EXPECT_FALSE(renderer.loaded());

  RenderedTick tick;
  std::vector<int16_t> buffer(static_cast<size_t>(renderer.maxTickFrames()) * 2);
  EXPECT_FALSE(renderer.renderTick(buffer.data(), renderer.maxTickFrames(), &tick));
}

TEST(ModuleRendererLoad, LoadingAgainStartsFromTheTop) {
  const std::vector<uint8_t> bytes = small_modules::bytes(twoOrderModule());
  ModuleRenderer renderer;
  std::vector<int16_t> buffer(static_cast<size_t>(ModuleRenderer::maxTickFrames(kRate)) * 2);
  RenderedTick tick;
  ASSERT_TRUE(renderer.loadMemory(bytes.data(), bytes.size(), kRate));
  for (int i = 0; i < 100; ++i) renderer.renderTick(buffer.data(), renderer.maxTickFrames(), &tick);
  ASSERT_TRUE(renderer.ended());
  ASSERT_TRUE(renderer.loadMemory(bytes.data(), bytes.size(), kRate));
  EXPECT_FALSE(renderer.ended());
  ASSERT_TRUE(renderer.renderTick(buffer.data(), renderer.maxTickFrames(), &tick));
  EXPECT_EQ(tick.firstFrame, 0);
  ASSERT_EQ(tick.triggerCount, 1);
  EXPECT_EQ(tick.triggers[0].instrument, 1);
}

// --- modules the player would not survive -------------------------------

struct PlayedThrough {
  bool loaded = false;
  int silencedSamples = 0;
  int64_t frames = 0;
  int peak = 0;
};

PlayedThrough playThrough(const std::vector<uint8_t>& bytes) {
  PlayedThrough result;
  ModuleRenderer renderer;
  result.loaded = renderer.loadMemory(bytes.data(), bytes.size(), kRate);
  result.silencedSamples = renderer.silencedSamples();
  std::vector<int16_t> buffer(static_cast<size_t>(renderer.maxTickFrames()) * 2);
  RenderedTick tick;
  while (result.loaded && renderer.renderTick(buffer.data(), renderer.maxTickFrames(), &tick) && tick.frames > 0) {
    for (int i = 0; i < 2 * tick.frames; ++i) result.peak = std::max(result.peak, std::abs(int{buffer[i]}));
  }
  result.frames = renderer.framesRendered();
  return result;
}

// libxmp 4.5.0 flips bytes of a ProTracker sample's loop for EFx through
// the sample's data, also when the file ended before that data. A sample that
// does not loop and has no data is emptied all the same.
TEST(ModuleRendererDamage, CutOffSampleDataWithInvertLoopPlaysToTheEndSilently) {
  for (const bool looped : {true, false}) {
    SCOPED_TRACE(looped ? "looped sample" : "sample without a loop");
    const PlayedThrough damaged = playThrough(protracker::module(false, looped));
    ASSERT_TRUE(damaged.loaded);
    EXPECT_EQ(damaged.silencedSamples, 1);
    EXPECT_GT(damaged.frames, kRate);  // 64 rows at speed 6, 125 BPM: 7.68 s
    EXPECT_EQ(damaged.peak, 0);
  }
}

TEST(ModuleRendererDamage, TheSameModuleWithItsSampleDataIsHeardAndLeftAlone) {
  const PlayedThrough intact = playThrough(protracker::module(true));
  ASSERT_TRUE(intact.loaded);
  EXPECT_EQ(intact.silencedSamples, 0);
  EXPECT_GT(intact.frames, kRate);
  EXPECT_GT(intact.peak, 1000);
}

// --- modules whose file ends early ------------------------------------------

// Six instruments of one 2000-frame 16-bit sample each close the file: every
// instrument is its 263-byte header, a 40-byte sample header and 4000 bytes
// of sample data.
constexpr size_t kInstrumentBlock = 263 + 40 + 4000;

struct CutCase {
  const char* name;
  std::function<size_t(size_t whole)> kept;  // bytes kept of the whole file
  bool loads;
  int missing;
  int announced;
};

ModuleRenderer& loadedFromFile(ModuleRenderer& renderer, const std::vector<uint8_t>& bytes, bool* loaded) {
  const std::string path = testing::TempDir() + "/pixelfolk-cut-" + std::to_string(getpid()) + ".xm";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  *loaded = renderer.loadFile(path.c_str(), kRate);
  std::remove(path.c_str());
  return renderer;
}

TEST(ModuleRendererCut, AnXmFileThatEndsEarlyCountsTheSamplesItLacks) {
  const std::vector<uint8_t> whole = small_modules::bytes(small_modules::module(4, 8));
  const CutCase cases[] = {
      {"whole", [](size_t n) { return n; }, true, 0, 6},
      {"with bytes after its end", [](size_t n) { return n + 100; }, true, 0, 6},
      {"the last byte gone", [](size_t n) { return n - 1; }, true, 1, 6},
      {"the last sample's data gone", [](size_t n) { return n - 4000; }, true, 1, 6},
      {"the last instrument gone", [](size_t n) { return n - kInstrumentBlock; }, true, 1, 6},
      {"cut inside the fifth sample", [](size_t n) { return n - kInstrumentBlock - 2000; }, true, 2, 6},
      {"every instrument gone", [](size_t n) { return n - 6 * kInstrumentBlock; }, true, 6, 6},
      // libxmp refuses a file that ends inside a sample header.
      {"cut inside the last sample header", [](size_t n) { return n - 4000 - 20; }, false, 0, 0},
  };
  for (const CutCase& c : cases) {
    std::vector<uint8_t> bytes = whole;
    bytes.resize(c.kept(whole.size()), 0x5A);
    ModuleRenderer fromMemory;
    EXPECT_EQ(fromMemory.loadMemory(bytes.data(), bytes.size(), kRate), c.loads) << c.name;
    bool loaded = false;
    ModuleRenderer fromFile;
    loadedFromFile(fromFile, bytes, &loaded);
    EXPECT_EQ(loaded, c.loads) << c.name;
    if (!c.loads) continue;
    for (const ModuleRenderer* renderer : {&fromMemory, &fromFile}) {
      EXPECT_EQ(renderer->extent().missingSamples, c.missing) << c.name;
      EXPECT_EQ(renderer->extent().announcedSamples, c.announced) << c.name;
    }
  }
}

// The live player and the capture tool report through the same words.
TEST(ModuleRendererCut, EachFileGetsOneNoteOnWhatIsWrongWithIt) {
  std::vector<uint8_t> cut = small_modules::bytes(small_modules::module(4, 8));
  const std::vector<uint8_t> whole = cut;
  cut.resize(cut.size() - kInstrumentBlock - 2000);
  const struct {
    std::vector<uint8_t> bytes;  // empty: no file
    const char* said;
  } cases[] = {
      {whole, ""},
      {cut, "music.xm ends early: 2 of its 6 samples are missing; the music plays without them\n"},
      {protracker::module(false),
       "Music file \"music.xm\" is damaged: 1 of its samples have no data and stay silent\n"},
      {{}, "Music file \"music.xm\" not loaded: No such file or directory\n"},
  };
  const std::string folder = testing::TempDir() + "/pixelfolk-report-" + std::to_string(getpid());
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/music.xm";
  const std::string previous = std::filesystem::current_path().string();
  std::filesystem::current_path(folder);
  for (const auto& c : cases) {
    std::filesystem::remove(path);
    if (!c.bytes.empty()) {
      std::ofstream(path, std::ios::binary)
          .write(reinterpret_cast<const char*>(c.bytes.data()), static_cast<std::streamsize>(c.bytes.size()));
    }
    ModuleRenderer renderer;
    const bool loaded = renderer.loadFile("music.xm", kRate);
    testing::internal::CaptureStderr();
    reportModuleLoad("music.xm", renderer, loaded);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.said);
  }
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(folder);
}

}  // namespace
