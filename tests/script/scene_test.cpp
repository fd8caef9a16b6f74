#include "script/scene.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/frame_clock.h"
#include "render/blits.h"
#include "render/font.h"
#include "render/screen.h"
#include "render/show_state.h"
#include "script/random.h"
#include "show_world.h"

using namespace showworld;

namespace {

constexpr uint32_t kRed = 0x00FF0000;
constexpr uint32_t kBlue = 0x000000FF;

// A clock on its second frame, 1/60 s after the first, at `elapsed` seconds of show.
FrameClock clockAt(double elapsed, double delta = 1.0 / 60.0) {
  FrameClock clock(1000.0);
  clock.update(1000.0 + elapsed - delta);
  clock.update(1000.0 + elapsed);
  return clock;
}

void frameAt(World& w, int32_t hits1, int32_t hits4 = 0, double elapsed = 30.0) {
  showState.instrument1Hits = hits1;
  showState.instrument4Hits = hits4;
  runScene(*w.data, clockAt(elapsed), *w.font);
}

// A glyph cell drawn as a solid block of the text colour (the test font's
// glyphs are full blocks).
bool glyphAt(int x, int y, uint32_t colour) { return pixel(x + 16, y + 16) == colour; }

}  // namespace

TEST(Scene, OpeningDrawsBackgroundUpTo703AndBlackAt704And705) {
  World w = makeWorld();
  for (int32_t count : {0, 1, 702, 703}) {
    frameAt(w, count);
    // Column 5 lies left of the sprites and the middle picture.
    EXPECT_NE(pixel(5, 240), 0u) << count;
    EXPECT_EQ(pixel(5, 240) >> 24, 0u);
  }
  for (int32_t count : {704, 705}) {
    frameAt(w, count);
    EXPECT_EQ(pixel(5, 240), 0u) << count;
    EXPECT_EQ(pixel(320, 400), kLowerSprite) << count;
    EXPECT_EQ(pixel(320, 80), kUpperSprite) << count;
    EXPECT_NE(pixel(320, 240), 0u) << count;
  }
}

TEST(Scene, BackgroundScrollsLeftAndDownAtItsRate) {
  World w = makeWorld();
  FrameClock clock(1000.0);
  clock.update(1000.0 + 8.0);  // a huge first step snaps both offsets to 0
  showState.scrollOffsetX = 50.0f;
  showState.scrollOffsetY = 30.0f;
  runScene(*w.data, clock, *w.font);
  EXPECT_EQ(showState.scrollOffsetX, 0.0f);
  EXPECT_EQ(showState.scrollOffsetY, 0.0f);
  EXPECT_EQ(pixel(5, 240), backgroundColour(5, 240));

  clock.update(1000.0 + 8.5);  // half a second: 64 px left, 35.84 px down
  runScene(*w.data, clock, *w.font);
  EXPECT_FLOAT_EQ(showState.scrollOffsetX, -64.0f);
  EXPECT_FLOAT_EQ(showState.scrollOffsetY, 35.84f);
  // Framebuffer (x, y) shows picture pixel (x + 64, y - 35).
  EXPECT_EQ(pixel(5, 240), backgroundColour(69, 205));
  EXPECT_EQ(pixel(600, 10), backgroundColour(24, 455));
}

TEST(Scene, MiddlePictureFollowsEvenCountsAndKeepsItOnOdd) {
  World w = makeWorld();
  frameAt(w, 1);
  EXPECT_EQ(showState.shownPictureIndex, 7) << "an odd first count keeps the initial picture";
  EXPECT_EQ(pixel(320, 240), middleColour(7));
  const int expected[] = {6, 8, 10, 12, 14, 16, 7, 9, 11, 13, 15, 6};
  for (int k = 0; k < 12; ++k) {
    frameAt(w, 2 * k);
    EXPECT_EQ(showState.shownPictureIndex, expected[k]) << "count " << 2 * k;
    EXPECT_EQ(pixel(320, 240), middleColour(expected[k]));
    frameAt(w, 2 * k + 1);
    EXPECT_EQ(showState.shownPictureIndex, expected[k]) << "count " << 2 * k + 1;
  }
  frameAt(w, 704);
  EXPECT_EQ(showState.shownPictureIndex, 704 % 11 + 6);
}

TEST(Scene, TitleGreetingsAndClosingScenesByCount) {
  World w = makeWorld();
  showState.typewriterRevealed = 100;  // every line shown whole

  frameAt(w, 706);
  EXPECT_EQ(pixel(320, 240), frameColour(0, 0)) << "title animation";
  EXPECT_TRUE(glyphAt(0, 352, kRed)) << "Pixelfolk enjoy";
  EXPECT_NE(pixel(128 + 16, 384 + 16), 0u) << "dance";
  EXPECT_EQ(pixel(128 + 16, 384 + 16) >> 24, 0u) << "dance's colour channels are reduced below 255";

  frameAt(w, 959);
  EXPECT_FALSE(glyphAt(128, 96, kBlue)) << "no greetings before 960";
  frameAt(w, 960);
  EXPECT_EQ(pixel(500, 240), frameColour(1, 0)) << "greetings animation, right of the lines";
  for (int y : {96, 128, 160, 196, 228, 260}) EXPECT_TRUE(glyphAt(128, y, kBlue)) << y;
  EXPECT_FALSE(glyphAt(128, 292, kBlue)) << "'   Crew' starts with blanks";
  EXPECT_TRUE(glyphAt(128 + 3 * 32, 292, kBlue));
  EXPECT_FALSE(glyphAt(0, 352, kRed)) << "the title is gone";

  frameAt(w, 1180);
  EXPECT_EQ(pixel(320, 240), frameColour(1, 59)) << "frame 59 of the greetings as the still";
  EXPECT_FALSE(glyphAt(128, 96, kBlue));
}

TEST(Scene, CreditsAppearAt142And150) {
  World w = makeWorld();
  showState.typewriterRevealed = 100;
  const struct {
    int32_t hits4;
    bool first, second;
  } cases[] = {{0, false, false}, {141, false, false}, {142, true, false}, {149, true, false}, {150, true, true}};
  for (const auto& c : cases) {
    frameAt(w, 1180, c.hits4);
    EXPECT_EQ(glyphAt(0, 240, kRed), c.first) << c.hits4;
    EXPECT_EQ(glyphAt(0, 340, kRed), c.second) << c.hits4;
  }
}

TEST(Scene, ClosingLinesOnlyAfterEightySixSeconds) {
  World w = makeWorld();
  showState.typewriterRevealed = 100;
  // The lines start at x = 0, left of the still: black unless a line is drawn.
  frameAt(w, 1180, 150, 86.0);
  EXPECT_EQ(pixel(16, 370 + 16), 0u) << "exactly 86.0 s shows no closing line";
  EXPECT_EQ(pixel(16, 402 + 16), 0u);
  frameAt(w, 1180, 150, 86.001);
  EXPECT_NE(pixel(16, 370 + 16), 0u);
  EXPECT_NE(pixel(16, 402 + 16), 0u);
  frameAt(w, 1179, 150, 90.0);
  EXPECT_EQ(pixel(16, 370 + 16), 0u) << "closing lines wait for the closing scene";
  EXPECT_EQ(pixel(16, 402 + 16), 0u);
}

TEST(Scene, ClosingLinesTakeUnreducedRandomColours) {
  World w = makeWorld();
  showState.typewriterRevealed = 100;
  showState.instrument1Hits = 1180;
  runScene(*w.data, clockAt(90.0), *w.font);
  resetShowRandom();
  const uint32_t r1 = static_cast<uint32_t>(showRandom()), r2 = static_cast<uint32_t>(showRandom()),
                 r3 = static_cast<uint32_t>(showRandom());
  const uint32_t r4 = static_cast<uint32_t>(showRandom()), r5 = static_cast<uint32_t>(showRandom()),
                 r6 = static_cast<uint32_t>(showRandom());
  EXPECT_EQ(pixel(16, 370 + 16), (r3 << 16) | (r2 << 8) | r1);
  EXPECT_EQ(pixel(16, 402 + 16), (r6 << 16) | (r5 << 8) | r4);
}

TEST(Scene, AThresholdCrossedDuringAFrameDrawsBothScenes) {
  World w = makeWorld();
  showState.typewriterRevealed = 100;
  // Reads of one opening frame: scene test, background test, picture choice,
  // test after the scene; then the title's own test after it. The count jumps
  // to 706 just before the opening's last read.
  static int reads;
  reads = 0;
  beforeCounterRead = [] {
    if (++reads == 4) showState.instrument1Hits = 706;
  };
  frameAt(w, 700);
  beforeCounterRead = nullptr;
  EXPECT_EQ(reads, 5);
  EXPECT_NE(pixel(5, 100), 0u) << "the opening's background stays where the title draws nothing";
  EXPECT_EQ(pixel(320, 400), kLowerSprite) << "the opening's sprite is left below the title";
  EXPECT_EQ(pixel(320, 240), frameColour(0, 0)) << "the title drawn over it";
  EXPECT_TRUE(glyphAt(0, 352, kRed));
}

TEST(Scene, DanceTakesRandomColoursReducedModulo255InReverseOrder) {
  // Each frame draws r1, r2, r3 and colours "dance" (r3 mod 255, r2 mod 255,
  // r1 mod 255); the first values (41, 18467, 6334, ...) tell a swap or a
  // mask by 0xFF apart from the rule.
  resetShowRandom();
  int32_t r[12];
  for (int32_t& v : r) v = showRandom();
  World w = makeWorld();
  showState.typewriterRevealed = 100;
  for (int frame = 0; frame < 4; ++frame) {
    frameAt(w, 706);
    const int32_t* f = &r[3 * frame];
    const uint32_t expected = static_cast<uint32_t>(f[2] % 255) << 16 | static_cast<uint32_t>(f[1] % 255) << 8 |
                              static_cast<uint32_t>(f[0] % 255);
    EXPECT_EQ(pixel(128 + 16, 384 + 16), expected) << "frame " << frame;
  }
}

TEST(Scene, GreetsTakesUnreducedRandomColoursThatSpillIntoTheNextBytes) {
  World w = makeWorld();
  showState.typewriterRevealed = 100;
  frameAt(w, 960);
  resetShowRandom();
  const uint32_t r1 = static_cast<uint32_t>(showRandom()), r2 = static_cast<uint32_t>(showRandom()),
                 r3 = static_cast<uint32_t>(showRandom());
  const uint32_t word = (r3 << 16) | (r2 << 8) | r1;
  EXPECT_EQ(pixel(128 + 16, 64 + 16), word);
  EXPECT_NE(word >> 24, 0u) << "the first values reach the top byte";
}

// A frame whose count crosses 960 or 1180 while it is drawn: the earlier
// scene, then the later one over it.
TEST(Scene, CrossingsAt960And1180DrawBothScenes) {
  // Reads: the scene test, then one after each scene drawn.
  static int reads;
  static int32_t jumpTo;
  {
    World w = makeWorld();
    showState.typewriterRevealed = 100;
    beforeCounterRead = [] {
      if (++reads == 2) showState.instrument1Hits = jumpTo;
    };
    reads = 0;
    jumpTo = 960;
    frameAt(w, 959);
    EXPECT_EQ(reads, 3);
    EXPECT_TRUE(glyphAt(0, 352, kRed)) << "the title's first line, outside the greetings' drawing";
    EXPECT_EQ(pixel(500, 240), frameColour(1, 0)) << "the greetings animation over the title's";
    EXPECT_TRUE(glyphAt(128, 96, kBlue));
    EXPECT_NE(pixel(128 + 16, 64 + 16), 0u) << "Greets:";
  }
  {
    World w = makeWorld();
    showState.typewriterRevealed = 100;
    beforeCounterRead = [] {
      if (++reads == 2) showState.instrument1Hits = jumpTo;
    };
    reads = 0;
    jumpTo = 1180;
    frameAt(w, 1179, 150);
    EXPECT_EQ(reads, 2);
    EXPECT_NE(pixel(128 + 16, 64 + 16), 0u) << "Greets:, above the still";
    EXPECT_EQ(pixel(320, 200), frameColour(1, 59)) << "the still over the greetings animation";
    EXPECT_TRUE(glyphAt(0, 240, kRed)) << "the credits of the closing";
    EXPECT_TRUE(glyphAt(0, 340, kRed));
  }
  beforeCounterRead = nullptr;
}

// The closing still is frame 59 of animation 1, copied whole: its dark
// pixels cover what lies below, and the animation's playback is untouched.
TEST(Scene, ClosingStillIsFrame59DrawnOpaqueWithoutPlaying) {
  World w = makeWorld();
  Animation& greetings = *w.data->animations[1];
  Image& still = *greetings.frames[59].image;
  // Left half black, right half a dark grey under the key threshold.
  for (int y = 0; y < still.height; ++y) {
    for (int x = 0; x < still.width; ++x) {
      uint8_t* p = &still.pixels[static_cast<size_t>(y) * still.rowStride + x * 3];
      p[0] = p[1] = p[2] = x < still.width / 2 ? 0 : 10;
    }
  }
  greetings.position = 12.5f;
  greetings.frameRate = 10.0f;
  frameAt(w, 1180);
  EXPECT_EQ(pixel(400, 240), 0x000A0A0Au) << "dark pixels are drawn, not keyed";
  EXPECT_EQ(greetings.position, 12.5f) << "the still does not advance the animation";
  EXPECT_EQ(greetings.frameRate, 10.0f);

  // Over the greetings in a crossing frame, the black half hides the
  // greetings animation below it.
  static int reads;
  reads = 0;
  beforeCounterRead = [] {
    if (++reads == 2) showState.instrument1Hits = 1180;
  };
  frameAt(w, 1179);
  beforeCounterRead = nullptr;
  EXPECT_EQ(pixel(200, 240), 0u) << "black pixels of the still cover the greetings frame";
  EXPECT_EQ(pixel(400, 240), 0x000A0A0Au);
}

// The scenes after the opening leave out their clear when their first
// picture covers the framebuffer: a frame smaller than the screen, even one of
// many, must still get it. The title animation covers the screen throughout,
// so that a greetings frame that does not is judged by its own size.
TEST(Scene, LaterScenesAreClearedUnlessTheirFirstPictureCoversTheScreen) {
  constexpr uint32_t kLeftOver = 0x00ABCDEF;
  const struct {
    int32_t count;
    int animation, smallFrame;  // the frame each scene draws first
  } scenes[] = {{706, 0, 0}, {960, 1, 0}, {1180, 1, 59}};
  for (const auto& scene : scenes) {
    for (const bool small : {false, true}) {
      World w = makeWorld();
      resizeFrames(w, 0, 640, 480);
      resizeFrames(w, scene.animation, 640, 480);
      if (small) resizeFrames(w, scene.animation, 640, 478, scene.smallFrame);
      std::fill(Screen::pixels, Screen::pixels + Screen::pixelCount, kLeftOver);
      frameAt(w, scene.count);
      const uint32_t drawn = frameColour(scene.animation, scene.smallFrame);
      EXPECT_EQ(pixel(320, 240), drawn) << scene.count;
      EXPECT_EQ(pixel(639, 0), small ? 0u : drawn) << scene.count << (small ? ", smaller frame" : "");
      EXPECT_EQ(std::count(Screen::pixels, Screen::pixels + Screen::pixelCount, kLeftOver), 0) << scene.count;
    }
  }
}

TEST(Scene, EachCreditLineReadsTheBassCountAfresh) {
  World w = makeWorld();
  showState.typewriterRevealed = 100;
  // The count rises between the two credit lines' reads, as the audio
  // thread may: the second line sees the new count.
  static int reads;
  static int32_t counts[2];
  beforeInstrument4Read = [] {
    if (reads < 2) showState.instrument4Hits = counts[reads];
    ++reads;
  };
  const struct {
    int32_t first, second;
    bool firstShown, secondShown;
  } cases[] = {{149, 150, true, true}, {141, 150, false, true}, {142, 149, true, false}, {141, 141, false, false}};
  for (const auto& c : cases) {
    reads = 0;
    counts[0] = c.first;
    counts[1] = c.second;
    frameAt(w, 1180, 0);
    EXPECT_EQ(reads, 2) << "one read per credit line";
    EXPECT_EQ(glyphAt(0, 240, kRed), c.firstShown) << c.first << " then " << c.second;
    EXPECT_EQ(glyphAt(0, 340, kRed), c.secondShown) << c.first << " then " << c.second;
  }
  beforeInstrument4Read = nullptr;
}

TEST(Scene, SharedTypewriterRevealsAcrossLines) {
  World w = makeWorld();
  showState.instrument1Hits = 706;
  FrameClock clock(1000.0);
  clock.update(1010.0);
  // The first frame's step is the whole reading, so each line's increment
  // alone fills the accumulator: both calls empty it and raise the count.
  runScene(*w.data, clock, *w.font);
  EXPECT_EQ(showState.typewriterRevealed, 5);
  EXPECT_EQ(showState.typewriterAccumulator, 0.0);
  EXPECT_TRUE(glyphAt(2 * 32, 352, kRed));
  EXPECT_FALSE(glyphAt(3 * 32, 352, kRed)) << "a call shows the count it found: 3";
  EXPECT_NE(pixel(128 + 3 * 32 + 16, 384 + 16), 0u) << "the second line shows 4";
  EXPECT_EQ(pixel(128 + 4 * 32 + 16, 384 + 16), 0u);
  runScene(*w.data, clock, *w.font);  // "dance" is now shown whole; the count stays below the title's length
  EXPECT_EQ(showState.typewriterRevealed, 6);
}

TEST(Scene, MissingResourcesDrawNothingAndDoNotCrash) {
  World w = makeWorld(true);
  showState.typewriterRevealed = 100;
  for (int32_t count : {0, 704, 706, 960, 1180}) {
    // Whatever the last frame left is cleared, background or none.
    std::fill(Screen::pixels, Screen::pixels + Screen::pixelCount, 0x00ABCDEFu);
    frameAt(w, count, 150, 90.0);
    for (int i = 0; i < Screen::pixelCount; i += 997) ASSERT_EQ(Screen::pixels[i], 0u) << count;
  }
}

TEST(ShowRandom, FixedSequenceFromStateOne) {
  resetShowRandom();
  const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int32_t value : expected) EXPECT_EQ(showRandom(), value);
  resetShowRandom();
  EXPECT_EQ(showRandom(), 41);
  for (int i = 0; i < 100000; ++i) {
    const int32_t v = showRandom();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, kRandomMax);
  }
}
