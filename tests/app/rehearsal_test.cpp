// The rehearsal's keys and clock on the generated show, with a fake clock and
// the audio thread's calls made by hand.
#include "app/rehearsal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/show_loop.h"
#include "generated_show.h"
#include "music/music_clock.h"
#include "music/sample_playback.h"
#include "music/trigger_index.h"
#include "platform/display_device.h"
#include "render/screen.h"
#include "render/show_state.h"
#include "script/scene_marks.h"

namespace {

using generatedshow::gridTime;

class RehearsalTest : public testing::Test {
 protected:
  RehearsalTest()
      : show_(generatedshow::show()),
        engine_(
            *show_.data, *show_.font, show_.timeline, 0.0, [this] { return now_; }, &music_),
        playback_(music_, show_.samples, show_.timeline.rate),
        marks_(sceneMarks(show_.timeline)) {}

  void SetUp() override { ASSERT_TRUE(show_.timeline.loaded) << "no demo.xm in " << PIXELFOLK_SHOW_DIR; }

  Rehearsal& start(double at, bool controls, bool paused) {
    rehearsal_ = std::make_unique<Rehearsal>(
        engine_, marks_, Rehearsal::Settings{at, controls ? RunKind::rehearsal : RunKind::fromTime, paused});
    EXPECT_TRUE(rehearsal_->pass().drew);
    return *rehearsal_;
  }

  double markTime(const char* name) const {
    for (const SceneMark& m : marks_) {
      if (std::string(m.name) == name) return m.showTime;
    }
    ADD_FAILURE() << "no mark " << name;
    return -1.0;
  }

  // What the audio thread does while `seconds` of the fake clock pass.
  std::vector<int16_t> playAudio(double seconds) {
    std::vector<int16_t> heard;
    std::vector<int16_t> buffer(512 * 2);
    for (int i = 0; i < static_cast<int>(seconds * 44100 / 512); ++i) {
      playback_.fill(buffer.data(), 512, now_);
      heard.insert(heard.end(), buffer.begin(), buffer.end());
      now_ += 512.0 / 44100;
    }
    return heard;
  }

  double now_ = 100.0;
  MusicClock music_;
  generatedshow::Show& show_;
  ShowEngine engine_;
  SamplePlayback playback_;
  std::vector<SceneMark> marks_;
  std::unique_ptr<Rehearsal> rehearsal_;
};

std::vector<uint32_t> screen() { return std::vector<uint32_t>(Screen::pixels, Screen::pixels + Screen::pixelCount); }

TEST_F(RehearsalTest, StartsPausedOnItsFrameAndStepsOneFrameEachWay) {
  const long first = 3450;  // 57.5 s
  const auto history = generatedshow::historyFrames({first - 1, first, first + 1, first + 2});
  Rehearsal& r = start(57.5, true, true);
  EXPECT_TRUE(r.paused());
  EXPECT_EQ(screen(), history.at(first).pixels);

  now_ += 3.0;
  EXPECT_FALSE(r.pass().drew) << "paused, nothing new is drawn";
  EXPECT_EQ(r.showTime(), 57.5);

  const struct {
    uint32_t key;
    long frame;
  } steps[] = {{virtualkey::period, first + 1},
               {virtualkey::period, first + 2},
               {virtualkey::comma, first + 1},
               {virtualkey::comma, first},
               {virtualkey::comma, first - 1}};
  for (const auto& step : steps) {
    r.press(step.key);
    EXPECT_TRUE(r.pass().drew);
    EXPECT_EQ(r.showTime(), gridTime(step.frame));
    EXPECT_EQ(screen(), history.at(step.frame).pixels) << step.frame;
    EXPECT_TRUE(r.paused());
  }
}

TEST_F(RehearsalTest, PauseHoldsThePictureAndTheMusicAndResumeGoesOnFromTheHeldFrame) {
  Rehearsal& r = start(20.0, true, false);
  playAudio(0.5);
  ASSERT_TRUE(r.pass().drew);
  r.press(virtualkey::space);
  r.pass();
  ASSERT_TRUE(r.paused());
  const std::vector<uint32_t> held = screen();
  const double heldTime = r.showTime();
  const int64_t position = playback_.position();
  const int32_t hits1 = showState.instrument1Hits;
  const int32_t hits4 = showState.instrument4Hits;

  // Two seconds of the audio thread and the frame loop: silence, no note, no frame.
  const std::vector<int16_t> heard = playAudio(2.0);
  EXPECT_TRUE(std::all_of(heard.begin(), heard.end(), [](int16_t v) { return v == 0; }));
  for (int i = 0; i < 20; ++i) {
    now_ += 0.1;
    EXPECT_FALSE(r.pass().drew);
  }
  EXPECT_EQ(playback_.position(), position);
  EXPECT_EQ(showState.instrument1Hits, hits1);
  EXPECT_EQ(showState.instrument4Hits, hits4);
  EXPECT_EQ(screen(), held);
  EXPECT_EQ(r.showTime(), heldTime);

  r.press(virtualkey::space);
  r.pass();
  EXPECT_FALSE(r.paused());
  const std::vector<int16_t> resumed = playAudio(0.02);
  ASSERT_FALSE(resumed.empty());
  const auto held0 = show_.samples.begin() + std::llround(heldTime * 44100) * 2;
  EXPECT_TRUE(std::equal(resumed.begin(), resumed.end(), held0)) << "the music goes on from the frame held";
  now_ += 0.1 - 512.0 / 44100;
  EXPECT_TRUE(r.pass().drew);
  EXPECT_NEAR(r.showTime(), heldTime + 0.1, 1e-9) << "the show time goes on from the frame held";
}

TEST_F(RehearsalTest, KeysSeekToTheirTimes) {
  const double greetings = markTime("greetings");
  const double closing = markTime("closing");
  const double title = markTime("title");
  const struct {
    const char* what;
    double from;
    uint32_t key;
    double to;
  } cases[] = {
      {"Left", 57.5, virtualkey::left, 52.5},
      {"Left near the start", 3.0, virtualkey::left, 0.0},
      {"Right", 57.5, virtualkey::right, 62.5},
      {"Right near the end", 93.0, virtualkey::right, 96.0},
      {"Home", 57.5, virtualkey::home, 0.0},
      {"Page Down", 57.5, virtualkey::pageDown, closing},
      {"Page Up inside a scene", 57.5, virtualkey::pageUp, greetings},
      {"Page Up on a scene change", greetings, virtualkey::pageUp, title},
      {"Page Down on a scene change", greetings, virtualkey::pageDown, closing},
      {"Page Up in the opening", 10.0, virtualkey::pageUp, 0.0},
      {"Page Down after the last change", 90.0, virtualkey::pageDown, 90.0},
  };
  for (const auto& c : cases) {
    for (bool paused : {true, false}) {
      Rehearsal& r = start(c.from, true, paused);
      r.press(c.key);
      r.pass();
      EXPECT_EQ(r.showTime(), c.to) << c.what;
      EXPECT_EQ(r.paused(), paused) << c.what;
      EXPECT_EQ(music_.place().at(now_), c.to) << c.what;
      EXPECT_EQ(showState.instrument1Hits, TriggerIndex(show_.timeline).hitsUpTo(1, c.to)) << c.what;
    }
  }
}

TEST_F(RehearsalTest, LoopGoesBackToTheSceneChangeUntilPressedAgain) {
  const double greetings = markTime("greetings");
  const double closing = markTime("closing");
  Rehearsal& r = start(closing - 1.0, true, false);
  r.press('L');
  now_ += 0.5;
  r.pass();
  EXPECT_TRUE(r.looping());
  EXPECT_STREQ(r.loopedScene(), "greetings");
  now_ += 0.6;  // past the closing
  EXPECT_TRUE(r.pass().drew);
  EXPECT_EQ(r.showTime(), greetings);
  r.press('L');
  now_ += closing - greetings + 0.1;
  r.pass();
  EXPECT_FALSE(r.looping());
  EXPECT_GT(r.showTime(), closing);
}

// The sound device stops asking for ten seconds (a stall, a suspend): the
// frames meanwhile read the counts of their own time, and the sound resumes
// where the clock is.
TEST_F(RehearsalTest, AStalledDeviceHoldsNeitherTheScenesNorTheMusicBack) {
  Rehearsal& r = start(20.0, false, false);
  playAudio(0.5);
  ASSERT_TRUE(r.pass().drew);
  const TriggerIndex notes(show_.timeline);
  for (int frame = 0; frame < 600; ++frame) {
    now_ += 1.0 / 60;
    ASSERT_TRUE(r.pass().drew);
    ASSERT_EQ(showState.instrument1Hits, notes.hitsUpTo(1, r.showTime())) << r.showTime();
    ASSERT_EQ(showState.instrument4Hits, notes.hitsUpTo(4, r.showTime())) << r.showTime();
  }
  EXPECT_NEAR(r.showTime(), 30.5, 0.01);
  EXPECT_GT(showState.instrument1Hits, notes.hitsUpTo(1, 20.5)) << "the scenes went on";
  const std::vector<int16_t> resumed = playAudio(0.02);
  const auto clockPlace = show_.samples.begin() + std::llround(r.showTime() * 44100) * 2;
  EXPECT_TRUE(std::equal(resumed.begin(), resumed.end(), clockPlace));
}

// A loop follows the show to the scene a seek lands in.
TEST_F(RehearsalTest, ASeekMovesTheLoopToTheSceneSought) {
  const double greetings = markTime("greetings");
  const double closing = markTime("closing");
  Rehearsal& r = start(greetings + 1.0, true, false);
  r.press('L');
  r.pass();
  ASSERT_STREQ(r.loopedScene(), "greetings");
  r.press(virtualkey::pageDown);
  r.pass();
  ASSERT_EQ(r.showTime(), closing);
  EXPECT_STREQ(r.loopedScene(), "closing");
  double next = kShowLength;
  for (const SceneMark& m : marks_) {
    if (m.showTime > closing) {
      next = m.showTime;
      break;
    }
  }
  now_ += next - closing + 0.01;
  EXPECT_TRUE(r.pass().drew);
  EXPECT_EQ(r.showTime(), closing) << "looped within the scene sought";
}

// Started paused, the music never starts: it is held at the start time from
// the first seek on, however long the replay and the passes take.
TEST_F(RehearsalTest, StartedPausedTheMusicNeverRuns) {
  const uint64_t starts = music_.place().starts;
  Rehearsal& r = start(30.0, true, true);
  for (int i = 0; i < 5; ++i) {
    now_ += 0.2;
    r.pass();
  }
  const std::vector<int16_t> heard = playAudio(0.5);
  EXPECT_TRUE(std::all_of(heard.begin(), heard.end(), [](int16_t v) { return v == 0; }));
  EXPECT_EQ(music_.place().starts, starts);
  EXPECT_FALSE(music_.place().running);
  EXPECT_EQ(music_.place().at(now_), 30.0);
  EXPECT_EQ(r.showTime(), 30.0);
}

// A reloaded module: the frame redrawn, and every later one, reads the new
// notes, and the scene marks are the new module's.
TEST_F(RehearsalTest, AReloadedModuleIsTheOneCountedAndMarked) {
  Rehearsal& r = start(50.0, true, true);
  TriggerTimeline later = show_.timeline;
  for (TimedTrigger& t : later.triggers) t.frame += 44100;  // everything a second later
  r.useMusic(later);
  EXPECT_TRUE(r.pass().drew);
  EXPECT_EQ(showState.instrument1Hits, TriggerIndex(later).hitsUpTo(1, 50.0));
  EXPECT_NE(showState.instrument1Hits, TriggerIndex(show_.timeline).hitsUpTo(1, 50.0));
  r.press(virtualkey::pageDown);
  r.pass();
  bool onAMark = false;
  for (const SceneMark& m : sceneMarks(later)) onAMark = onAMark || m.showTime == r.showTime();
  EXPECT_TRUE(onAMark) << r.showTime();
}

TEST_F(RehearsalTest, WithoutControlsTheKeysChangeNothing) {
  Rehearsal& r = start(57.5, false, true);
  EXPECT_FALSE(r.paused()) << "--paused needs controls";
  for (uint32_t key : {virtualkey::space, virtualkey::left, virtualkey::right, virtualkey::home, virtualkey::pageUp,
                       virtualkey::pageDown, virtualkey::period, virtualkey::comma, uint32_t{'L'}, uint32_t{'H'}}) {
    r.press(key);
  }
  now_ += 0.25;
  EXPECT_TRUE(r.pass().drew);
  EXPECT_EQ(r.showTime(), 57.75);
  EXPECT_FALSE(r.paused());
  EXPECT_FALSE(r.looping());
  EXPECT_FALSE(r.overlayShown());
}

TEST_F(RehearsalTest, TheEndPausesARehearsalAndEndsTheShow) {
  Rehearsal& rehearsal = start(95.9, true, false);
  now_ += 0.2;
  EXPECT_TRUE(rehearsal.pass().drew);
  EXPECT_TRUE(rehearsal.paused());
  EXPECT_EQ(rehearsal.showTime(), kShowLength);
  now_ += 1.0;
  EXPECT_FALSE(rehearsal.pass().drew);
  rehearsal.press(virtualkey::space);
  rehearsal.pass();
  EXPECT_FALSE(rehearsal.paused());
  EXPECT_EQ(rehearsal.showTime(), 0.0) << "played again from the start";

  Rehearsal& show = start(95.9, false, false);
  now_ += 0.2;
  const Rehearsal::Pass last = show.pass();
  EXPECT_TRUE(last.drew);
  EXPECT_TRUE(last.ended);
  EXPECT_NEAR(show.showTime(), 96.1, 1e-9);
}

// A page's player: its first frame drawn ahead of the viewer's click, the
// page's seeks and pauses, the player's keys only, and an end that ends.
TEST_F(RehearsalTest, APlayerTakesThePagesRequestsAndItsOwnKeysAndItsEndEndsTheShow) {
  rehearsal_ = std::make_unique<Rehearsal>(engine_, marks_, Rehearsal::Settings{57.5, RunKind::player});
  Rehearsal& player = *rehearsal_;
  player.cue();
  const std::vector<uint32_t> cued = screen();
  EXPECT_EQ(player.seeks(), 1);
  now_ += 3.0;
  EXPECT_TRUE(player.pass().drew);
  EXPECT_EQ(screen(), cued) << "the first pass shows the cued frame";
  now_ += 0.25;
  player.pass();
  EXPECT_EQ(player.showTime(), 57.75) << "the clock started at the first pass, not at the cue";

  player.requestPaused(true);
  player.pass();
  EXPECT_TRUE(player.paused());
  for (uint32_t key : {virtualkey::pageUp, virtualkey::pageDown, virtualkey::period, virtualkey::comma, uint32_t{'L'},
                       uint32_t{'H'}}) {
    player.press(key);
  }
  player.pass();
  EXPECT_EQ(player.showTime(), 57.75) << "a rehearsal's keys do nothing in a player";
  EXPECT_FALSE(player.looping());
  EXPECT_FALSE(player.overlayShown());
  player.press(virtualkey::right);
  player.pass();
  EXPECT_EQ(player.showTime(), 62.75);
  player.requestSeek(-3.0);
  player.pass();
  EXPECT_EQ(player.showTime(), 0.0);
  player.requestSeek(95.9);
  player.pass();
  EXPECT_EQ(player.showTime(), 95.9);
  EXPECT_TRUE(player.paused()) << "a seek keeps the pause";
  EXPECT_EQ(player.seeks(), 4);

  player.requestPaused(false);
  player.pass();
  now_ += 0.2;
  const Rehearsal::Pass last = player.pass();
  EXPECT_TRUE(last.drew);
  EXPECT_TRUE(last.ended) << "a player's end ends the show rather than pausing";
}

TEST_F(RehearsalTest, HTogglesTheOverlay) {
  Rehearsal& r = start(10.0, true, true);
  EXPECT_FALSE(r.overlayShown());
  r.press('H');
  r.pass();
  EXPECT_TRUE(r.overlayShown());
  r.press('H');
  r.pass();
  EXPECT_FALSE(r.overlayShown());
}

}  // namespace
