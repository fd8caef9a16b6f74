#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "display/display.h"
#include "fake_display_device.h"
#include "pixel_reference.h"

namespace {

using Calls = std::vector<std::string>;

constexpr const char* kTitle = "Pixelfolk enjoy dance!";
constexpr int32_t kWidth = 24;
constexpr int32_t kHeight = 5;

const Calls kFullOpen = {
    "loadDriver",
    "findDriverEntry",
    "createDevice",
    "registerWindowClass Pixelfolk enjoy dance!",
    "createWindow Pixelfolk enjoy dance! / Pixelfolk enjoy dance!",
    "setExclusiveFullscreen",
    "setDisplayMode 24x5x32",
    "createPrimarySurface 2",
    "attachBackBuffer",
    "getPixelFormat",
    "screenSaverOff",
};

const Calls kPresentedFrame = {"restorePrimary", "lockBackBuffer", "unlockBackBuffer", "flip", "sleep 0"};

const Calls kShutdown = {"releasePrimary", "restoreDisplayMode", "setNormalCooperation", "releaseDevice",
                         "destroyWindow",  "freeDriver",         "screenSaverOn"};

DisplayMessage activate(uint32_t value) { return {DisplayMessageKind::activateApp, value}; }

class DisplayLogic : public ::testing::Test {
 protected:
  void SetUp() override {
    setDisplayDevice(&fake);
    for (size_t i = 0; i < framebuffer.size(); ++i) framebuffer[i] = static_cast<uint32_t>(i * 0x0103070B + 0x00102030);
  }
  void TearDown() override { setDisplayDevice(nullptr); }

  int open() { return displayOpen(kTitle, kWidth, kHeight); }

  // Opens and activates, leaving no calls recorded.
  void openActive() {
    ASSERT_EQ(open(), 1);
    fake.messages.push_back(activate(1));
    displayPresent(framebuffer.data());
    fake.takeCalls();
  }

  // The surface's bytes for framebuffer row `row`, as the reference converts them.
  std::vector<uint8_t> expectedRow(int32_t row) const {
    const ReferenceFormat* format = nullptr;
    for (const ReferenceFormat& f : referenceFormats()) {
      if (f.bitCount == fake.format.bitCount && f.redMask == fake.format.redMask &&
          f.greenMask == fake.format.greenMask && f.blueMask == fake.format.blueMask)
        format = &f;
    }
    std::vector<uint8_t> bytes;
    for (int32_t x = 0; x < kWidth; ++x) {
      const auto pixel = format->pixel(framebuffer[static_cast<size_t>(row * kWidth + x)]);
      bytes.insert(bytes.end(), pixel.begin(), pixel.begin() + format->bytesPerPixel);
    }
    return bytes;
  }

  std::vector<uint8_t> surfaceRow(int32_t row, size_t length) const {
    const auto start = fake.surface.begin() + static_cast<long>(row) * fake.pitch;
    return std::vector<uint8_t>(start, start + static_cast<long>(length));
  }

  FakeDisplayDevice fake;
  std::vector<uint32_t> framebuffer = std::vector<uint32_t>(kWidth * kHeight);
};

TEST_F(DisplayLogic, OpensInOrderOnADisplayThatOffersEverything) {
  EXPECT_EQ(open(), 1);
  EXPECT_EQ(fake.calls, kFullOpen);
  EXPECT_STREQ(displayFailureReason(), "");
}

// The window request reaches the device before its window is made, and the
// mode stays the framebuffer's size; the device forgets it with a new device.
TEST_F(DisplayLogic, AWindowIsAskedForBeforeTheWindowIsMadeAndOnlyWhenRequested) {
  displayUseWindow(800, 600);
  ASSERT_EQ(open(), 1);
  Calls expected = kFullOpen;
  expected.insert(expected.begin() + 4, "useWindow 800x600");
  EXPECT_EQ(fake.calls, expected);
  displayClose();

  const struct { int32_t width, height; } ignored[] = {{0, 0}, {0, 600}, {800, 0}, {-800, 600}};
  for (const auto& request : ignored) {
    setDisplayDevice(&fake);
    fake.takeCalls();
    displayUseWindow(request.width, request.height);
    ASSERT_EQ(open(), 1);
    EXPECT_EQ(fake.calls, kFullOpen) << request.width << "x" << request.height;
    displayClose();
  }

  displayUseWindow(800, 600);
  setDisplayDevice(&fake);
  fake.takeCalls();
  ASSERT_EQ(open(), 1);
  EXPECT_EQ(fake.calls, kFullOpen) << "a new device starts full screen";
}

TEST_F(DisplayLogic, SixteenBitOnlyDisplayGetsTheConverterOfItsFormat) {
  fake.depths = {16};
  fake.format = {true, 16, 0xF800, 0x7E0, 0x1F, 0};
  ASSERT_EQ(open(), 1);
  const Calls modes(fake.calls.begin() + 6, fake.calls.begin() + 9);
  EXPECT_EQ(modes, (Calls{"setDisplayMode 24x5x32", "setDisplayMode 24x5x24", "setDisplayMode 24x5x16"}));

  fake.messages.push_back(activate(1));
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);
  for (int32_t row = 0; row < kHeight; ++row) EXPECT_EQ(surfaceRow(row, kWidth * 2), expectedRow(row)) << row;
}

TEST_F(DisplayLogic, NoDepthAtAllFailsAfterTheThreeTries) {
  fake.depths = {8};
  EXPECT_EQ(open(), 0);
  EXPECT_EQ(fake.calls.back(), "setDisplayMode 24x5x16");
  EXPECT_NE(std::string(displayFailureReason()), "");
}

TEST_F(DisplayLogic, TwoBackBuffersRefusedOneAccepted) {
  fake.mostBackBuffers = 1;
  ASSERT_EQ(open(), 1);
  const Calls surfaces(fake.calls.begin() + 7, fake.calls.begin() + 10);
  EXPECT_EQ(surfaces, (Calls{"createPrimarySurface 2", "createPrimarySurface 1", "attachBackBuffer"}));
  fake.messages.push_back(activate(1));
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);
  EXPECT_EQ(surfaceRow(kHeight - 1, kWidth * 4), expectedRow(kHeight - 1));
}

TEST_F(DisplayLogic, ABarePrimarySurfaceIsNotUsed) {
  fake.mostBackBuffers = 0;
  EXPECT_EQ(open(), 0);
  const Calls tail(fake.calls.end() - 4, fake.calls.end());
  EXPECT_EQ(tail,
            (Calls{"createPrimarySurface 2", "createPrimarySurface 1", "createPrimarySurface 0", "attachBackBuffer"}));
}

TEST_F(DisplayLogic, FormatsWithoutAConverterAreRefused) {
  const struct {
    const char* what;
    DisplayPixelFormat format;
  } cases[] = {
      {"palette-indexed 8 bits", {false, 8, 0, 0, 0, 0}},
      {"RGB flag missing on a known layout", {false, 32, 0xFF0000, 0xFF00, 0xFF, 0}},
      {"16 bits 4-4-4", {true, 16, 0xF00, 0xF0, 0xF, 0xF000}},
      {"32 bits in a third order", {true, 32, 0xFF00, 0xFF0000, 0xFF, 0}},
  };
  for (const auto& c : cases) {
    FakeDisplayDevice device;
    device.format = c.format;
    setDisplayDevice(&device);
    EXPECT_EQ(displayOpen(kTitle, kWidth, kHeight), 0) << c.what;
    EXPECT_EQ(device.calls.back(), "getPixelFormat") << c.what << ": the screen saver stays as it was";
    EXPECT_NE(std::string(displayFailureReason()), "") << c.what;
  }
}

// A failed step returns 0 at once and undoes nothing that was made before it.
TEST_F(DisplayLogic, AFailedStepStopsOpeningAndUndoesNothing) {
  const char* steps[] = {"loadDriver",       "findDriverEntry", "createDevice", "setExclusiveFullscreen",
                         "attachBackBuffer", "getPixelFormat"};
  for (const char* step : steps) {
    FakeDisplayDevice device;
    device.failingStep = step;
    setDisplayDevice(&device);
    EXPECT_EQ(displayOpen(kTitle, kWidth, kHeight), 0) << step;
    EXPECT_EQ(device.calls.back(), step);
    const Calls expected(kFullOpen.begin(), std::find(kFullOpen.begin(), kFullOpen.end(), step) + 1);
    EXPECT_EQ(device.calls, expected) << step;
    EXPECT_NE(std::string(displayFailureReason()), "") << step;
  }
}

// displayClose after a failed open gives back only what had been made.
TEST_F(DisplayLogic, ClosingAfterAFailedOpenReleasesWhatWasMade) {
  const struct {
    const char* failingStep;
    Calls closing;
  } cases[] = {
      {"loadDriver", {"destroyWindow", "screenSaverOn"}},
      {"createDevice", {"destroyWindow", "freeDriver", "screenSaverOn"}},
      {"setExclusiveFullscreen",
       {"restoreDisplayMode", "setNormalCooperation", "releaseDevice", "destroyWindow", "freeDriver", "screenSaverOn"}},
      {"attachBackBuffer", kShutdown},
  };
  for (const auto& c : cases) {
    FakeDisplayDevice device;
    device.failingStep = c.failingStep;
    setDisplayDevice(&device);
    ASSERT_EQ(displayOpen(kTitle, kWidth, kHeight), 0);
    device.takeCalls();
    displayClose();
    EXPECT_EQ(device.calls, c.closing) << c.failingStep;
  }
}

TEST_F(DisplayLogic, InactiveDisplayOnlyPumpsAndSleeps) {
  ASSERT_EQ(open(), 1);
  fake.takeCalls();
  // Before the first activation.
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);
  EXPECT_EQ(fake.takeCalls(), (Calls{"sleep 1"}));
  // Active for one frame, then switched away.
  fake.messages.push_back(activate(1));
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);
  fake.takeCalls();
  const std::vector<uint8_t> shown = fake.surface;
  fake.messages.push_back(activate(0));
  framebuffer.assign(framebuffer.size(), 0x00FFFFFF);
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);
  EXPECT_EQ(fake.takeCalls(), (Calls{"dispatch", "sleep 1"}));
  EXPECT_EQ(fake.surface, shown) << "no surface is touched while inactive";
  // Any nonzero value, all 32 bits of it, means active.
  fake.messages.push_back(activate(0x80000000u));
  displayPresent(framebuffer.data());
  Calls expected = {"dispatch"};
  expected.insert(expected.end(), kPresentedFrame.begin(), kPresentedFrame.end());
  EXPECT_EQ(fake.takeCalls(), expected);
}

TEST_F(DisplayLogic, TheQueueIsEmptiedBeforeAnythingIsDrawn) {
  ASSERT_EQ(open(), 1);
  fake.takeCalls();
  fake.messages = {activate(0), activate(1), {DisplayMessageKind::other, 0}};
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);
  // The default handling is recorded inside the third dispatch.
  EXPECT_EQ(fake.calls, (Calls{"dispatch", "dispatch", "dispatch", "defaultWindowProc", "restorePrimary",
                               "lockBackBuffer", "unlockBackBuffer", "flip", "sleep 0"}));
}

TEST_F(DisplayLogic, RowsGoAtThePitchAndTheBytesBeyondStayUntouched) {
  const struct {
    const char* what;
    DisplayPixelFormat format;
    int32_t extraPitch;
    bool bottomUp;
  } cases[] = {
      {"24 bits, 7 bytes spare per row", {true, 24, 0xFF0000, 0xFF00, 0xFF, 0}, 7, false},
      {"32 bits swapped, 64 bytes spare", {true, 32, 0xFF, 0xFF00, 0xFF0000, 0}, 64, false},
      {"16 bits 5-5-5, 2 bytes spare", {true, 16, 0x1F, 0x3E0, 0x7C00, 0}, 2, false},
      {"bottom-up 24 bits, negative pitch", {true, 24, 0xFF, 0xFF00, 0xFF0000, 0}, 5, true},
  };
  for (const auto& c : cases) {
    FakeDisplayDevice device;
    device.format = c.format;
    device.extraPitch = c.extraPitch;
    device.bottomUp = c.bottomUp;
    setDisplayDevice(&device);
    fake.format = c.format;  // for expectedRow
    ASSERT_EQ(displayOpen(kTitle, kWidth, kHeight), 1) << c.what;
    device.messages.push_back(activate(1));
    ASSERT_EQ(displayPresent(framebuffer.data()), 1) << c.what;

    const size_t rowBytes = kWidth * c.format.bitCount / 8;
    for (int32_t row = 0; row < kHeight; ++row) {
      const int32_t stored = c.bottomUp ? kHeight - 1 - row : row;
      const auto start = device.surface.begin() + static_cast<long>(stored) * device.pitch;
      EXPECT_EQ(std::vector<uint8_t>(start, start + static_cast<long>(rowBytes)), expectedRow(row)) << c.what;
      for (auto spare = start + static_cast<long>(rowBytes); spare != start + device.pitch; ++spare) {
        ASSERT_EQ(*spare, FakeDisplayDevice::kUntouched) << c.what << ", row " << row;
      }
    }
  }
}

// A device whose surface is smaller than the mode it accepted is clipped to,
// not overrun.
TEST_F(DisplayLogic, ASurfaceSmallerThanTheModeIsNotOverrun) {
  fake.surfaceWidth = kWidth - 3;
  fake.surfaceHeight = kHeight - 2;
  openActive();
  EXPECT_EQ(fake.surface.size(), static_cast<size_t>((kWidth - 3) * 4 * (kHeight - 2)));
  const std::vector<uint8_t> full = expectedRow(kHeight - 3);
  EXPECT_EQ(surfaceRow(kHeight - 3, (kWidth - 3) * 4), std::vector<uint8_t>(full.begin(), full.end() - 12));
}

TEST_F(DisplayLogic, AFailedLockDropsTheFrame) {
  openActive();
  fake.failingStep = "lockBackBuffer";
  EXPECT_EQ(displayPresent(framebuffer.data()), 0);
  EXPECT_EQ(fake.takeCalls(), (Calls{"restorePrimary", "lockBackBuffer"}));
  fake.failingStep.clear();
  EXPECT_EQ(displayPresent(framebuffer.data()), 1) << "the next frame tries again";
  EXPECT_EQ(fake.takeCalls(), kPresentedFrame);
}

TEST_F(DisplayLogic, EscapeAndCloseShutTheDisplayDownAndExitWithZero) {
  const struct {
    const char* what;
    DisplayMessage message;
  } cases[] = {
      {"Escape key", {DisplayMessageKind::keyDown, 27}},
      {"Escape character", {DisplayMessageKind::character, 27}},
      {"close request", {DisplayMessageKind::close, 0}},
      {"key code whose low byte is 27", {DisplayMessageKind::keyDown, 0x31B}},
  };
  for (const auto& c : cases) {
    FakeDisplayDevice device;
    setDisplayDevice(&device);
    ASSERT_EQ(displayOpen(kTitle, kWidth, kHeight), 1);
    device.takeCalls();
    device.messages.push_back(c.message);
    displayPresent(framebuffer.data());
    Calls expected = {"dispatch"};
    expected.insert(expected.end(), kShutdown.begin(), kShutdown.end());
    expected.push_back("exitProcess 0");
    const Calls upToExit(device.calls.begin(), device.calls.begin() + std::min(device.calls.size(), expected.size()));
    EXPECT_EQ(upToExit, expected) << c.what;
    EXPECT_EQ(device.exitCode, 0) << c.what;
  }
}

TEST_F(DisplayLogic, WindowProcedureAnswers) {
  openActive();
  using K = DisplayMessageKind;
  const struct {
    DisplayMessage message;
    intptr_t result;
    Calls calls;
  } cases[] = {
      {{K::keyDown, 'A'}, 0, {}},
      {{K::keyDown, 13}, 0, {}},
      {{K::character, 'x'}, 0, {}},
      {{K::character, 26}, 0, {}},
      {{K::character, 28}, 0, {}},
      {{K::setCursor, 0}, 0, {"hideCursor"}},
      {{K::other, 5}, fake.defaultResult, {"defaultWindowProc"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(displayWindowProc(c.message), c.result) << static_cast<int>(c.message.kind) << " " << c.message.value;
    EXPECT_EQ(fake.takeCalls(), c.calls) << static_cast<int>(c.message.kind) << " " << c.message.value;
  }
  EXPECT_EQ(fake.exitCode, -1);
}

// Only an installed handler hears the keys other than Escape; the show
// without rehearsal installs none, so they change nothing there.
TEST_F(DisplayLogic, KeysOtherThanEscapeReachOnlyAnInstalledHandler) {
  openActive();
  std::vector<uint32_t> heard;
  const auto hear = [](void* user, uint32_t key) { static_cast<std::vector<uint32_t>*>(user)->push_back(key); };
  using K = DisplayMessageKind;
  const DisplayMessage keys[] = {
      {K::keyDown, 0x20}, {K::keyDown, 0x25}, {K::keyDown, 0xBE}, {K::character, ' '}, {K::keyDown, 'H'}};
  for (bool installed : {false, true, false}) {
    displaySetKeyHandler(installed ? +hear : nullptr, &heard);
    heard.clear();
    for (const DisplayMessage& key : keys) fake.messages.push_back(key);
    EXPECT_EQ(displayPresent(framebuffer.data()), 1);
    EXPECT_EQ(heard, installed ? (std::vector<uint32_t>{0x20, 0x25, 0xBE, 'H'}) : std::vector<uint32_t>{});
    EXPECT_EQ(fake.exitCode, -1);
  }
  // Escape still ends the show with a handler installed, which never hears it.
  displaySetKeyHandler(hear, &heard);
  heard.clear();
  fake.messages.push_back({K::keyDown, 27});
  displayPresent(framebuffer.data());
  EXPECT_EQ(fake.exitCode, 0);
  EXPECT_TRUE(heard.empty());
  displaySetKeyHandler(nullptr, nullptr);
}

TEST_F(DisplayLogic, NormalEndShutsDownLikeEscape) {
  openActive();
  displayClose();
  EXPECT_EQ(fake.takeCalls(), kShutdown);
}

}  // namespace
