// The SDL device under SDL's offscreen video driver with the software renderer.
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "display/display.h"
#include "display/pixel_converters.h"
#include "pixel_reference.h"
#include "platform/platform.h"
#include "platform/sdl/display.h"
#include "platform/sdl/display_formats.h"
#include "platform/sdl/display_messages.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr const char* kTitle = "Pixelfolk enjoy dance!";

// Software rendering all the way: without the framebuffer hint SDL would put
// even the software renderer's window surface on a GL texture.
void useSoftwareRendering(const char* format) {
  setenv("SDL_RENDER_DRIVER", "software", 1);
  setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
  if (format != nullptr) {
    setenv("PIXELFOLK_DISPLAY_FORMAT", format, 1);
  } else {
    unsetenv("PIXELFOLK_DISPLAY_FORMAT");
  }
  setDisplayDevice(nullptr);
}

std::vector<uint32_t> knownFramebuffer() {
  std::vector<uint32_t> pixels(kWidth * kHeight);
  uint32_t state = 12345;
  for (uint32_t& pixel : pixels) {
    state = state * 1664525u + 1013904223u;
    pixel = state;  // the top byte too: the picture must not depend on it
  }
  return pixels;
}

SDL_Event windowEvent(uint8_t what, uint32_t windowId) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = what;
  event.window.windowID = windowId;
  return event;
}

// Nearest-neighbour scaling may round either way at a boundary: accept the
// source pixel on either side of it.
bool matchesAtScale(const platform::DisplayReadBack& picture, const ReferenceFormat& format,
                    const std::vector<uint32_t>& framebuffer, int32_t x, int32_t y, std::string* detail) {
  const uint8_t* shown =
      picture.pixels.data() + (static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)) *
                                  static_cast<size_t>(picture.bytesPerPixel);
  const int32_t xs[] = {x * kWidth / picture.width, ((2 * x + 1) * kWidth) / (2 * picture.width)};
  const int32_t ys[] = {y * kHeight / picture.height, ((2 * y + 1) * kHeight) / (2 * picture.height)};
  for (const int32_t sy : ys) {
    for (const int32_t sx : xs) {
      const auto expected = format.pixel(framebuffer[static_cast<size_t>(sy * kWidth + sx)]);
      // A 32-bit display's fourth byte is not shown, whatever it holds.
      const int colourBytes = format.bytesPerPixel == 4 ? 3 : format.bytesPerPixel;
      if (std::equal(expected.begin(), expected.begin() + colourBytes, shown)) return true;
    }
  }
  *detail = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") of " + std::to_string(picture.width) + "x" +
            std::to_string(picture.height);
  return false;
}

TEST(SdlDisplay, EachFormatShowsTheFramebufferReducedByItsRule) {
  const std::vector<uint32_t> framebuffer = knownFramebuffer();
  for (const ReferenceFormat& format : referenceFormats()) {
    useSoftwareRendering(format.name.c_str());
    ASSERT_EQ(displayOpen(kTitle, kWidth, kHeight), 1) << format.name << ": " << displayFailureReason();

    // The display starts inactive; being shown activates it in the first pump.
    EXPECT_EQ(displayPresent(framebuffer.data()), 1) << format.name;
    platform::DisplayReadBack picture;
    ASSERT_TRUE(platform::readBackSdlDisplay(&picture)) << format.name << ": " << SDL_GetError();
    EXPECT_EQ(picture.bytesPerPixel, format.bytesPerPixel);
    EXPECT_EQ(picture.width * kHeight, picture.height * kWidth) << "4:3 kept";
    ASSERT_GE(picture.width, kWidth);

    int mismatches = 0;
    std::string first;
    for (int32_t y = 0; y < picture.height; ++y) {
      for (int32_t x = 0; x < picture.width; ++x) {
        std::string detail;
        if (!matchesAtScale(picture, format, framebuffer, x, y, &detail)) {
          if (mismatches++ == 0) first = detail;
        }
      }
    }
    EXPECT_EQ(mismatches, 0) << format.name << ", first at " << first;
    displayClose();
  }
}

// A window of any size shows the whole 4:3 picture, as large as fits, in the
// middle; the next open without a request is full screen again.
TEST(SdlDisplay, AWindowShowsThePictureScaledWithItsAspect) {
  const std::vector<uint32_t> framebuffer = knownFramebuffer();
  // The offscreen desktop is 1024x768; a window larger than that is shrunk
  // to fit it with its aspect kept.
  const struct {
    int32_t askedWidth, askedHeight, windowWidth, windowHeight, pictureWidth, pictureHeight;
  } cases[] = {{800, 600, 800, 600, 800, 600},  {640, 480, 640, 480, 640, 480},    {1000, 600, 1000, 600, 800, 600},
               {400, 900, 341, 768, 341, 255},  {1280, 960, 1024, 768, 1024, 768}, {2000, 1000, 1024, 512, 682, 512},
               {1000, 1536, 500, 768, 500, 375}};
  for (const auto& c : cases) {
    useSoftwareRendering("32Rgb888");
    displayUseWindow(c.askedWidth, c.askedHeight);
    ASSERT_EQ(displayOpen(kTitle, kWidth, kHeight), 1) << displayFailureReason();
    EXPECT_EQ(displayPresent(framebuffer.data()), 1);
    // The display's window is the only one open.
    SDL_Window* window = nullptr;
    for (uint32_t id = 1; window == nullptr && id < 1000; ++id) window = SDL_GetWindowFromID(id);
    ASSERT_NE(window, nullptr);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, c.windowWidth);
    EXPECT_EQ(height, c.windowHeight);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    platform::DisplayReadBack picture;
    ASSERT_TRUE(platform::readBackSdlDisplay(&picture)) << SDL_GetError();
    EXPECT_EQ(picture.width, c.pictureWidth) << c.windowWidth << "x" << c.windowHeight;
    EXPECT_EQ(picture.height, c.pictureHeight) << c.windowWidth << "x" << c.windowHeight;
    displayClose();
  }
}

TEST(SdlDisplay, AnUnknownForcedFormatFailsToOpenWithAReason) {
  useSoftwareRendering("12Rgb444");
  EXPECT_EQ(displayOpen(kTitle, kWidth, kHeight), 0);
  EXPECT_NE(std::string(displayFailureReason()).find("12Rgb444"), std::string::npos) << displayFailureReason();
  displayClose();
}

TEST(SdlDisplay, ClosingRestoresTheScreenSaverAndAllowsOpeningAgain) {
  for (int round = 0; round < 2; ++round) {
    useSoftwareRendering("16Rgb565");
    ASSERT_EQ(displayOpen(kTitle, kWidth, kHeight), 1) << displayFailureReason();
    EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_FALSE) << "off while the display is open";
    displayClose();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "video shut down";
  }
}

// A reset renderer loses its textures; the next frame makes the back buffer anew.
TEST(SdlDisplay, PresentingGoesOnAfterARendererReset) {
  useSoftwareRendering("24Bgr888");
  ASSERT_EQ(displayOpen(kTitle, kWidth, kHeight), 1) << displayFailureReason();
  std::vector<uint32_t> framebuffer(kWidth * kHeight, 0x00102030);
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);
  SDL_Event reset{};
  reset.type = SDL_RENDER_DEVICE_RESET;
  SDL_PushEvent(&reset);
  framebuffer.assign(framebuffer.size(), 0x00A0B0C0);
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);
  platform::DisplayReadBack picture;
  ASSERT_TRUE(platform::readBackSdlDisplay(&picture));
  EXPECT_EQ(std::vector<uint8_t>(picture.pixels.begin(), picture.pixels.begin() + 3),
            (std::vector<uint8_t>{0xA0, 0xB0, 0xC0}));
  displayClose();
}

// The show loses the screen in the same pass as the window system asks for a
// part of the picture again (the window manager's Alt+Tab popup going away):
// no next frame will answer that, so the last one must, or the popup's image
// stays on the frozen show.
TEST(SdlDisplay, LosingTheScreenRightAfterAnExposeShowsTheLastFrameAgain) {
  useSoftwareRendering("32Rgb888");
  ASSERT_EQ(displayOpen(kTitle, kWidth, kHeight), 1) << displayFailureReason();
  std::vector<uint32_t> framebuffer(kWidth * kHeight, 0x00102030);
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);

  SDL_Window* window = nullptr;
  for (uint32_t id = 1; window == nullptr && id < 100; ++id) window = SDL_GetWindowFromID(id);
  ASSERT_NE(window, nullptr);
  // The software renderer draws into the window's surface: another window's
  // image left on ours.
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  ASSERT_NE(surface, nullptr) << SDL_GetError();
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0xEE, 0x11, 0xEE));
  for (const uint8_t what : {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_FOCUS_LOST}) {
    SDL_Event event = windowEvent(what, SDL_GetWindowID(window));
    SDL_PushEvent(&event);
  }
  framebuffer.assign(framebuffer.size(), 0x00A0B0C0);
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);

  const auto* row = static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(surface->h / 2) * surface->pitch;
  uint32_t pixel = 0;
  std::memcpy(&pixel, row + static_cast<size_t>(surface->w / 2) * surface->format->BytesPerPixel,
              surface->format->BytesPerPixel);
  uint8_t red = 0, green = 0, blue = 0;
  SDL_GetRGB(pixel, surface->format, &red, &green, &blue);
  EXPECT_EQ((std::vector<int>{red, green, blue}), (std::vector<int>{0x10, 0x20, 0x30}))
      << "the last frame, shown again";
  displayClose();
}

// SDL's allocator, made to refuse large blocks on demand: the software
// renderer's texture pixels are the only block of a frame's size.
SDL_malloc_func sdlMalloc = nullptr;
SDL_calloc_func sdlCalloc = nullptr;
SDL_realloc_func sdlRealloc = nullptr;
SDL_free_func sdlFree = nullptr;
std::atomic<bool> refuseLargeBlocks{false};
constexpr size_t kLargeBlock = 100000;

void* refusingMalloc(size_t size) { return refuseLargeBlocks && size >= kLargeBlock ? nullptr : sdlMalloc(size); }
void* refusingCalloc(size_t count, size_t size) {
  return refuseLargeBlocks && count * size >= kLargeBlock ? nullptr : sdlCalloc(count, size);
}
void* refusingRealloc(void* block, size_t size) {
  return refuseLargeBlocks && size >= kLargeBlock ? nullptr : sdlRealloc(block, size);
}

// A reset whose texture cannot be made again at once: the frames meanwhile
// are not shown, and the next frame after memory returns rebuilds it.
TEST(SdlDisplay, AFailedRebuildAfterARendererResetIsTriedAgain) {
  SDL_GetMemoryFunctions(&sdlMalloc, &sdlCalloc, &sdlRealloc, &sdlFree);
  ASSERT_EQ(SDL_SetMemoryFunctions(refusingMalloc, refusingCalloc, refusingRealloc, sdlFree), 0);
  useSoftwareRendering("24Bgr888");
  ASSERT_EQ(displayOpen(kTitle, kWidth, kHeight), 1) << displayFailureReason();
  std::vector<uint32_t> framebuffer(kWidth * kHeight, 0x00102030);
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);

  SDL_Event reset{};
  reset.type = SDL_RENDER_DEVICE_RESET;
  SDL_PushEvent(&reset);
  refuseLargeBlocks = true;
  EXPECT_EQ(displayPresent(framebuffer.data()), 0) << "no texture, nothing presented";
  EXPECT_EQ(displayPresent(framebuffer.data()), 0);
  refuseLargeBlocks = false;

  framebuffer.assign(framebuffer.size(), 0x00A0B0C0);
  EXPECT_EQ(displayPresent(framebuffer.data()), 1);
  platform::DisplayReadBack picture;
  ASSERT_TRUE(platform::readBackSdlDisplay(&picture));
  EXPECT_EQ(std::vector<uint8_t>(picture.pixels.begin(), picture.pixels.begin() + 3),
            (std::vector<uint8_t>{0xA0, 0xB0, 0xC0}));
  displayClose();
  SDL_SetMemoryFunctions(sdlMalloc, sdlCalloc, sdlRealloc, sdlFree);
}

std::atomic<bool> audioRunning{false};
std::thread* audioThread = nullptr;

void stopAudio() {
  audioRunning = false;
  audioThread->join();
}

// Escape, or a close request, while a sound thread runs: the exit hooks stop
// it, and the process ends with code 0.
void presentUntilEnded(SDL_Event event) {
  useSoftwareRendering(nullptr);
  if (displayOpen(kTitle, kWidth, kHeight) != 1) std::exit(3);
  audioRunning = true;
  audioThread = new std::thread([] {
    while (audioRunning) SDL_Delay(1);
  });
  platform::atProcessExit(stopAudio);
  const std::vector<uint32_t> framebuffer = knownFramebuffer();
  displayPresent(framebuffer.data());
  SDL_PushEvent(&event);
  displayPresent(framebuffer.data());
  std::exit(4);  // not reached when the event ended the program
}

TEST(SdlDisplayDeathTest, EscapeQuitAndWindowCloseExitWithZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  SDL_Event escape{};
  escape.type = SDL_KEYDOWN;
  escape.key.keysym.sym = SDLK_ESCAPE;
  escape.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  EXPECT_EXIT(presentUntilEnded(escape), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(presentUntilEnded(quit), ::testing::ExitedWithCode(0), "");
}

TEST(SdlDisplayFormats, EachNamedFormatHasItsConvertersMasks) {
  for (const ReferenceFormat& format : referenceFormats()) {
    platform::SdlDisplayFormat sdl;
    ASSERT_TRUE(platform::sdlDisplayFormatNamed(format.name.c_str(), &sdl)) << format.name;
    EXPECT_TRUE(sdl.pixelFormat.rgb);
    EXPECT_EQ(selectPixelConverter(sdl.pixelFormat.bitCount, sdl.pixelFormat.redMask, sdl.pixelFormat.greenMask,
                                   sdl.pixelFormat.blueMask),
              format.converter)
        << format.name << " is " << SDL_GetPixelFormatName(sdl.sdlFormat);
  }
}

TEST(SdlDisplayFormats, WindowFormatsMapToTheDisplayFormat) {
  const struct {
    uint32_t window;
    const char* expected;  // nullptr: not one of the eight
  } cases[] = {
      {SDL_PIXELFORMAT_RGB888, "32Rgb888"},   {SDL_PIXELFORMAT_ARGB8888, "32Rgb888"},
      {SDL_PIXELFORMAT_BGR888, "32Bgr888"},   {SDL_PIXELFORMAT_ABGR8888, "32Bgr888"},
      {SDL_PIXELFORMAT_BGR24, "24Rgb888"},    {SDL_PIXELFORMAT_RGB24, "24Bgr888"},
      {SDL_PIXELFORMAT_RGB565, "16Rgb565"},   {SDL_PIXELFORMAT_BGR565, "16Bgr565"},
      {SDL_PIXELFORMAT_RGB555, "16Rgb555"},   {SDL_PIXELFORMAT_ARGB1555, "16Rgb555"},
      {SDL_PIXELFORMAT_BGR555, "16Bgr555"},   {SDL_PIXELFORMAT_RGB444, nullptr},
      {SDL_PIXELFORMAT_INDEX8, nullptr},      {SDL_PIXELFORMAT_RGBA8888, nullptr},
      {SDL_PIXELFORMAT_ARGB2101010, nullptr}, {SDL_PIXELFORMAT_YV12, nullptr},
  };
  for (const auto& c : cases) {
    platform::SdlDisplayFormat format;
    const bool found = platform::sdlDisplayFormatForWindow(c.window, &format);
    EXPECT_EQ(found, c.expected != nullptr) << SDL_GetPixelFormatName(c.window);
    if (found && c.expected != nullptr) {
      EXPECT_STREQ(format.name, c.expected) << SDL_GetPixelFormatName(c.window);
    }
  }
  EXPECT_STREQ(platform::sdlDefaultDisplayFormat().name, "32Rgb888");
}

SDL_Event keyEvent(SDL_Keycode key) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.keysym.sym = key;
  return event;
}

SDL_Event textEvent(const char* text) {
  SDL_Event event{};
  event.type = SDL_TEXTINPUT;
  SDL_strlcpy(event.text.text, text, sizeof event.text.text);
  return event;
}

TEST(SdlDisplayMessages, EventsBecomeWindowMessages) {
  using K = DisplayMessageKind;
  constexpr uint32_t kOurs = 7;
  SDL_Event quit{}, motion{}, keyUp{}, reset{};
  quit.type = SDL_QUIT;
  motion.type = SDL_MOUSEMOTION;
  keyUp.type = SDL_KEYUP;
  keyUp.key.keysym.sym = SDLK_ESCAPE;
  reset.type = SDL_RENDER_TARGETS_RESET;
  const struct {
    const char* what;
    SDL_Event event;
    std::vector<DisplayMessage> messages;
    bool texturesLost;
    bool windowed = false;
    bool exposed = false;
  } cases[] = {
      {"shown", windowEvent(SDL_WINDOWEVENT_SHOWN, kOurs), {{K::activateApp, 1}, {K::setCursor, 0}}, false},
      {"focus gained", windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED, kOurs), {{K::activateApp, 1}}, false},
      {"restored", windowEvent(SDL_WINDOWEVENT_RESTORED, kOurs), {{K::activateApp, 1}}, false},
      {"minimised", windowEvent(SDL_WINDOWEVENT_MINIMIZED, kOurs), {{K::activateApp, 0}}, false},
      {"hidden", windowEvent(SDL_WINDOWEVENT_HIDDEN, kOurs), {{K::activateApp, 0}}, false},
      {"focus lost", windowEvent(SDL_WINDOWEVENT_FOCUS_LOST, kOurs), {{K::activateApp, 0}}, false},
      // A window keeps playing beside the others; only hiding it stops the picture.
      {"focus lost in a window", windowEvent(SDL_WINDOWEVENT_FOCUS_LOST, kOurs), {{K::other, 0}}, false, true},
      {"minimised in a window", windowEvent(SDL_WINDOWEVENT_MINIMIZED, kOurs), {{K::activateApp, 0}}, false, true},
      {"hidden in a window", windowEvent(SDL_WINDOWEVENT_HIDDEN, kOurs), {{K::activateApp, 0}}, false, true},
      {"exposed", windowEvent(SDL_WINDOWEVENT_EXPOSED, kOurs), {{K::other, 0}}, false, false, true},
      {"another window exposed", windowEvent(SDL_WINDOWEVENT_EXPOSED, kOurs + 1), {{K::other, 0}}, false},
      {"close", windowEvent(SDL_WINDOWEVENT_CLOSE, kOurs), {{K::close, 0}}, false},
      {"another window's close", windowEvent(SDL_WINDOWEVENT_CLOSE, kOurs + 1), {{K::other, 0}}, false},
      {"mouse entered", windowEvent(SDL_WINDOWEVENT_ENTER, kOurs), {{K::setCursor, 0}}, false},
      {"mouse moved", motion, {{K::setCursor, 0}}, false},
      {"quit", quit, {{K::close, 0}}, false},
      {"Escape down", keyEvent(SDLK_ESCAPE), {{K::keyDown, 27}}, false},
      {"Escape up", keyUp, {{K::other, 0}}, false},
      {"letter", keyEvent(SDLK_q), {{K::keyDown, 'Q'}}, false},
      {"digit", keyEvent(SDLK_7), {{K::keyDown, '7'}}, false},
      {"unmapped key", keyEvent(SDLK_F5), {{K::keyDown, 0}}, false},
      // The rehearsal's controls, as Win32 names them.
      {"Space", keyEvent(SDLK_SPACE), {{K::keyDown, 0x20}}, false},
      {"Page Up", keyEvent(SDLK_PAGEUP), {{K::keyDown, 0x21}}, false},
      {"Page Down", keyEvent(SDLK_PAGEDOWN), {{K::keyDown, 0x22}}, false},
      {"Home", keyEvent(SDLK_HOME), {{K::keyDown, 0x24}}, false},
      {"Left", keyEvent(SDLK_LEFT), {{K::keyDown, 0x25}}, false},
      {"Right", keyEvent(SDLK_RIGHT), {{K::keyDown, 0x27}}, false},
      {"period", keyEvent(SDLK_PERIOD), {{K::keyDown, 0xBE}}, false},
      {"comma", keyEvent(SDLK_COMMA), {{K::keyDown, 0xBC}}, false},
      {"L", keyEvent(SDLK_l), {{K::keyDown, 'L'}}, false},
      {"H", keyEvent(SDLK_h), {{K::keyDown, 'H'}}, false},
      {"ASCII character", textEvent("x"), {{K::character, 'x'}}, false},
      // U+011B ends in byte 0x1B; it must not pass for the Escape character.
      {"non-ASCII character", textEvent("\xC4\x9B"), {{K::character, '?'}}, false},
      {"renderer reset", reset, {{K::other, 0}}, true},
  };
  for (const auto& c : cases) {
    const platform::TranslatedEvent translated = platform::translateSdlEvent(c.event, kOurs, c.windowed);
    ASSERT_EQ(translated.count, static_cast<int>(c.messages.size())) << c.what;
    for (int i = 0; i < translated.count; ++i) {
      EXPECT_EQ(translated.messages[i].kind, c.messages[static_cast<size_t>(i)].kind) << c.what;
      EXPECT_EQ(translated.messages[i].value, c.messages[static_cast<size_t>(i)].value) << c.what;
    }
    EXPECT_EQ(translated.texturesLost, c.texturesLost) << c.what;
    EXPECT_EQ(translated.exposed, c.exposed) << c.what;
  }
}

}  // namespace
