// The sound output under SDL's dummy driver: paced by the clock, so music
// time keeps step with real time even without a device.
#include "platform/audio_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

std::atomic<long> framesA{0};
std::atomic<long> framesB{0};

void countInto(void* counter, int16_t* frames, int frameCount) {
  static_cast<std::atomic<long>*>(counter)->fetch_add(frameCount);
  for (int i = 0; i < frameCount * 2; ++i) frames[i] = 0;
}

class AudioOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    framesA = 0;
    framesB = 0;
  }
  void TearDown() override { platform::closeAudioOutput(handle_); }
  int handle_ = 0;
};

TEST_F(AudioOutput, WithoutADeviceTheFramesKeepStepWithTheClock) {
  platform::AudioOutputStatus status;
  handle_ = platform::openAudioOutput(44100, 512, countInto, &framesA, &status);
  ASSERT_NE(handle_, 0);
  EXPECT_TRUE(status.running);
  std::this_thread::sleep_for(200ms);
  const long before = framesA.load();
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(4000ms);
  const long after = framesA.load();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // Slack for a callback late by a few buffers at either end on a loaded
  // machine; the dummy driver's own pacing runs 4 % fast here, 0.16 s over
  // these 4 s.
  EXPECT_NEAR(static_cast<double>(after - before) / 44100.0, seconds, 0.1);
}

TEST_F(AudioOutput, AnUnknownDriverFallsBackToASilentOutputAndSaysWhy) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  platform::AudioOutputStatus status;
  handle_ = platform::openAudioOutput(44100, 512, countInto, &framesA, &status);
  ASSERT_NE(handle_, 0);
  EXPECT_TRUE(status.running);
  EXPECT_TRUE(status.silent);
  EXPECT_NE(std::string(status.reason).find("no-such-driver"), std::string::npos) << status.reason;
  std::this_thread::sleep_for(300ms);
  EXPECT_GT(framesA.load(), 44100 / 10);
}

// A desktop whose sound server is down: the reason starts with the driver the
// system prefers (SDL's first), not with the last one that gave up.
TEST_F(AudioOutput, WithoutAnyDeviceTheReasonNamesEachDriverInTheOrderTried) {
  unsetenv("SDL_AUDIODRIVER");
  setenv("PULSE_SERVER", "unix:/nonexistent/pulse/native", 1);
  setenv("PIPEWIRE_REMOTE", "/nonexistent/pipewire-0", 1);
  setenv("AUDIODEV", "/nonexistent/dsp", 1);
  platform::AudioOutputStatus status;
  handle_ = platform::openAudioOutput(44100, 512, countInto, &framesA, &status);
  unsetenv("PULSE_SERVER");
  unsetenv("PIPEWIRE_REMOTE");
  unsetenv("AUDIODEV");
  ASSERT_NE(handle_, 0);
  if (!status.silent) GTEST_SKIP() << "a real sound device opened here";
  const std::string reason = status.reason;
  std::string lower = reason;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.find("pulseaudio") == std::string::npos && lower.find("alsa") == std::string::npos) {
    GTEST_SKIP() << "SDL has neither driver here: " << reason;
  }
  const size_t pulse = reason.find("pulseaudio: ");
  const size_t alsa = reason.find("alsa: ");
  ASSERT_NE(pulse, std::string::npos) << reason;
  ASSERT_NE(alsa, std::string::npos) << reason;
  EXPECT_LT(pulse, alsa) << reason;
  EXPECT_EQ(reason.find("dummy"), std::string::npos) << reason;
}

TEST_F(AudioOutput, OpeningAnotherOutputStopsTheFirstAndItsHandleGoesStale) {
  platform::AudioOutputStatus status;
  const int first = platform::openAudioOutput(44100, 512, countInto, &framesA, &status);
  ASSERT_NE(first, 0);
  std::this_thread::sleep_for(100ms);
  handle_ = platform::openAudioOutput(44100, 512, countInto, &framesB, &status);
  ASSERT_NE(handle_, 0);
  EXPECT_NE(handle_, first);
  const long firstTotal = framesA.load();
  platform::closeAudioOutput(first);  // stale: must not stop the second
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(framesA.load(), firstTotal);
  EXPECT_GT(framesB.load(), 44100 / 10);
}

}  // namespace
