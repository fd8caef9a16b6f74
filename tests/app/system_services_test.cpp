// The process services shared by every system, with the POSIX answers to
// "is there a screen" and "what is the counter": when a message box may be
// shown (never when it could block unattended), and the counter's time base.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/platform.h"

namespace {

// Sets or clears an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    if (old != nullptr) saved_ = old, hadValue_ = true;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (hadValue_) {
      setenv(name_, saved_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string saved_;
  bool hadValue_ = false;
};

}  // namespace

TEST(SystemServices, MessageBoxesShowOnlyWithAScreenAndARealVideoDriver) {
  const struct {
    const char *display, *wayland, *videoDriver;
    bool visible;
  } cases[] = {
      {nullptr, nullptr, "x11", false},       // no screen at all
      {"", "", "x11", false},                 // empty names are no screen
      {":7", nullptr, "x11", true},           // X server
      {nullptr, "wayland-0", nullptr, true},  // Wayland, SDL's own choice of driver
      {":7", nullptr, "offscreen", false},    // headless drivers never block
      {":7", "wayland-0", "dummy", false},
  };
  for (const auto& c : cases) {
    ScopedEnv display("DISPLAY", c.display);
    ScopedEnv wayland("WAYLAND_DISPLAY", c.wayland);
    ScopedEnv driver("SDL_VIDEODRIVER", c.videoDriver);
    EXPECT_EQ(platform::messageBoxesVisible(), c.visible)
        << "DISPLAY=" << (c.display ? c.display : "(unset)")
        << " WAYLAND_DISPLAY=" << (c.wayland ? c.wayland : "(unset)")
        << " SDL_VIDEODRIVER=" << (c.videoDriver ? c.videoDriver : "(unset)");
  }
}

TEST(SystemServices, MessageWithoutAScreenIsOneLineOnStandardError) {
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  testing::internal::CaptureStderr();
  platform::showMessageBox("Error", "Couldn't open data/jpgs/x.jpg");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Couldn't open data/jpgs/x.jpg\n");
}

TEST(SystemServices, CounterIsNanosecondsAndNeverRunsBackwards) {
  int64_t frequency = 0;
  ASSERT_TRUE(platform::queryCounterFrequency(&frequency));
  EXPECT_EQ(frequency, 1000000000);
  const int64_t first = platform::readCounter();
  platform::sleepMilliseconds(20);
  const int64_t second = platform::readCounter();
  // At least the sleep, and not absurdly more on a loaded machine.
  EXPECT_GE(second - first, 19000000);
  EXPECT_LT(second - first, 5000000000);
}

// The sound output's shutdown is registered after what it depends on, so the
// hooks run last registered first; a harness whose interceptor returns to it
// leaves the process many times, and each hook runs only on the first.
TEST(SystemServices, ExitHooksRunLastRegisteredFirstAndOnce) {
  struct Intercepted {};
  static std::string ran;
  ran.clear();
  platform::atProcessExit([] { ran += "first "; });
  platform::atProcessExit([] { ran += "second "; });
  platform::interceptExit([](int) { throw Intercepted{}; });
  for (int exit = 0; exit < 2; ++exit) EXPECT_THROW(platform::exitProcess(3), Intercepted);
  platform::interceptExit(nullptr);
  EXPECT_EQ(ran, "second first ");
}

// Last: there is no way back to showing boxes in this process.
TEST(SystemServices, UnattendedToolsNeverShowBoxes) {
  ScopedEnv display("DISPLAY", ":7");
  ScopedEnv driver("SDL_VIDEODRIVER", "x11");
  ASSERT_TRUE(platform::messageBoxesVisible());
  platform::keepMessagesOffScreen();
  EXPECT_FALSE(platform::messageBoxesVisible());
}
