// The process services shared by every system, with the POSIX answers to
// "is there a screen" and "what is the counter": when a message box may be
// shown (never when it could block unattended), and the counter's time base.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/common/message_lines.h"
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

TEST(SystemServices, MessageWithoutAScreenIsOneLineOnStandardErrorForEachOfItsLines) {
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  const struct {
    const char* text;
    const char* written;
  } cases[] = {
      {"Couldn't open data/jpgs/x.jpg", "Error: Couldn't open data/jpgs/x.jpg\n"},
      {"", "Error: \n"},
      {"x.jpg is a CMYK JPEG.\nCouldn't load the image x.jpg.",
       "Error: x.jpg is a CMYK JPEG.\nError: Couldn't load the image x.jpg.\n"},
      {"two\n\nparts\n", "Error: two\nError: \nError: parts\n"},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    platform::showMessageBox("Error", c.text);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.written) << c.text;
  }
}

// Boxes that cannot wrap get their lines broken at separators and spaces.
TEST(SystemServices, MessageLinesAreBrokenAtSeparatorsAndSpacesWithinTheLimit) {
  const struct {
    const char* text;
    size_t columns;
    const char* lines;
  } cases[] = {
      {"short enough", 12, "short enough"},
      {"one two three", 7, "one two\nthree"},            // the space at the limit is a break
      {"one two three", 6, "one\ntwo\nthree"},           // spaces are dropped where they break
      {"data/jpgs/sky.jpg", 10, "data/jpgs/\nsky.jpg"},  // after the last separator that fits
      {"C:\\show\\data\\sky.jpg", 9, "C:\\show\\\ndata\\\nsky.jpg"},
      {"see data/jpgs/sky.jpg now", 16, "see data/jpgs/\nsky.jpg now"},
      {"abcdefghij", 4, "abcd\nefgh\nij"},                                     // no break: cut at the limit
      {"caf\xC3\xA9 \xC3\xA9t\xC3\xA9", 4, "caf\xC3\xA9\n\xC3\xA9t\xC3\xA9"},  // characters, not bytes
      {"\xC3\xA9\xC3\xA9\xC3\xA9", 2, "\xC3\xA9\xC3\xA9\n\xC3\xA9"},           // never inside a character
      {"kept\nline breaks stay", 6, "kept\nline\nbreaks\nstay"},
      {"a  b", 2, "a\nb"},                    // a run of spaces goes with the break
      {"   indented", 4, "   i\nnden\nted"},  // leading spaces are no break
      {"no limit at all", 0, "no limit at all"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::breakIntoLines(c.text, c.columns), c.lines) << c.text << " in " << c.columns;
  }
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
