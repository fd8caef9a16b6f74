// The live player under SDL's dummy audio driver, which runs the audio
// callback in real time without a device.
#include "music/music_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <unistd.h>

#include "music/music_clock.h"
#include "music/trigger_index.h"
#include "platform/platform.h"
#include "small_modules.h"

namespace {

using small_modules::cell;
using small_modules::kC4;
using namespace std::chrono_literals;

// 8 rows of 0.12 s: instrument 1 on two channels every row, instrument 4 on rows 0 and 4.
constexpr int kOnes = 16;
constexpr int kFours = 2;
// In the temporary folder, one file per test process (ctest runs them in
// parallel); the player keeps the pointer, so the text lives as long as the program.
const std::string kModulePath = testing::TempDir() + "player_test_" + std::to_string(getpid()) + ".xm";
const char* const kModuleFile = kModulePath.c_str();

void writeShortModule() {
  xm::Module m = small_modules::module(4, 8);
  for (int row = 0; row < 8; ++row) {
    m.patterns[0].at(row, 0) = cell(kC4, 2);
    m.patterns[0].at(row, 1) = cell(kC4 + 7, 2);
    if (row % 4 == 0) m.patterns[0].at(row, 2) = cell(kC4 - 12, 5);
  }
  std::string error;
  ASSERT_TRUE(xm::saveModule(m, kModuleFile, &error)) << error;
}

// The notes the player found in the module when it loaded.
NoteCounts allNotes(const MusicPlayer& player) { return TriggerIndex(player.timeline()).countsAt(1e9); }

// Seconds of the module the audio callback has handed out.
double played(const MusicPlayer& player) { return static_cast<double>(player.position()) / 44100; }

// Waits up to `limit` for the callback to have handed out `seconds` of music.
bool waitForPlayed(const MusicPlayer& player, double seconds, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    if (played(player) >= seconds) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

class MusicPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Whatever the machine has, these run on the silent real-time driver.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    writeShortModule();
  }
};

// The callback hands out the music where the clock says, and only while it
// runs: the module's notes are known from the load on.
TEST_F(MusicPlayerTest, TheMusicPlaysWhereTheClockSaysAndItsNotesAreKnownFromTheLoad) {
  MusicPlayer player;
  testing::internal::CaptureStderr();
  player.open(kModuleFile, kMusicModule, 44100, 32);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_NE(player.song, nullptr);
  EXPECT_STREQ(player.fileName, kModuleFile);
  EXPECT_EQ(allNotes(player).instrument1, kOnes);
  EXPECT_EQ(allNotes(player).instrument4, kFours);

  // Playing, but the clock is held: nothing is handed out.
  player.play(kMusicModule);
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(player.position(), 0);

  // Running from 0.5 s of music: the callback starts there.
  player.clock().run(0.5, musicRealTime(), true);
  ASSERT_TRUE(waitForPlayed(player, 0.5, 1000ms));
  std::this_thread::sleep_for(200ms);
  const double now = player.clock().place().at(musicRealTime());
  // Within the tolerance and a buffer or two of the clock (a busy machine
  // may hold the callback back for longer).
  EXPECT_NEAR(played(player), now, 0.1);
}

TEST_F(MusicPlayerTest, AMissingFileIsNamedAndNothingCounts) {
  MusicPlayer player;
  testing::internal::CaptureStderr();
  player.open("missing.xm", kMusicModule, 44100, 32);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("\"missing.xm\""), std::string::npos) << said;
  EXPECT_NE(said.find("No such file or directory"), std::string::npos) << said;
  EXPECT_EQ(player.song, nullptr);
  EXPECT_EQ(allNotes(player).instrument1, 0);
  EXPECT_EQ(allNotes(player).instrument4, 0);

  player.play(kMusicModule);
  player.clock().run(0.0, musicRealTime(), true);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(player.position(), 0);
}

TEST_F(MusicPlayerTest, WithoutASoundDeviceTheMusicStillCountsSilently) {
  ASSERT_EQ(setenv("SDL_AUDIODRIVER", "no-such-driver", 1), 0);
  MusicPlayer player;
  testing::internal::CaptureStderr();
  player.open(kModuleFile, kMusicModule, 44100, 32);
  const std::string said = testing::internal::GetCapturedStderr();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_NE(said.find("Sound unavailable"), std::string::npos) << said;
  EXPECT_NE(said.find("no-such-driver"), std::string::npos) << said;  // SDL's reason names it
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;

  player.play(kMusicModule);
  player.clock().run(0.0, musicRealTime(), true);
  EXPECT_TRUE(waitForPlayed(player, 0.3, 3000ms));
}

TEST_F(MusicPlayerTest, TheStreamKindLoadsNothing) {
  MusicPlayer player;
  player.open(kModuleFile, kMusicStream, 44100, 32);
  EXPECT_EQ(player.song, nullptr);
  EXPECT_EQ(player.stream, nullptr);
  player.play(kMusicStream);
  player.play(kMusicModule);  // no module was loaded for it
  player.clock().run(0.0, musicRealTime(), true);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(player.position(), 0);
  EXPECT_EQ(allNotes(player).instrument1, 0);
}

// Held for the whole process, like the show's player.
MusicPlayer* player = nullptr;

TEST_F(MusicPlayerTest, LeavingTheProcessDuringPlaybackClosesTheOutputFirst) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        player = new MusicPlayer();  // never destroyed, as in the show
        player->open(kModuleFile, kMusicModule, 44100, 32);
        player->play(kMusicModule);
        player->clock().run(0.0, musicRealTime(), true);
        std::this_thread::sleep_for(200ms);
        platform::exitProcess(player->position() > 0 ? 7 : 8);
      },
      testing::ExitedWithCode(7), "");
}

}  // namespace
