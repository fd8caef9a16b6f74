#include "resources/animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/screen.h"
#include "resources/test_files.h"

namespace {

constexpr uint32_t kUntouched = 0xFF000000u;  // a word no blit can write

// An animation whose frame k is a 1 x 1 picture of colour (k, 100, 200),
// built in memory so that playback is checked without decoding.
Animation makeAnimation(int32_t frameCount) {
  Animation animation("", 0, 0);
  animation.frameCount = frameCount;
  animation.frames = std::make_unique<Picture[]>(frameCount);
  for (int32_t k = 0; k < frameCount; ++k) {
    auto image = std::make_unique<Image>();
    *image = Image{3, 1, 1, {static_cast<uint8_t>(k), 100, 200}};
    animation.frames[k].image = std::move(image);
  }
  return animation;
}

// Plays one step at the screen's centre and says which frame appeared, or -1.
int playAndSee(Animation& animation, double delta) {
  Screen::pixels[240 * 640 + 320] = kUntouched;
  animation.play(320, 240, delta);
  const uint32_t word = Screen::pixels[240 * 640 + 320];
  return word == kUntouched ? -1 : static_cast<int>(word >> 16);
}

testfiles::Rgb frameColour(int i) { return {static_cast<uint8_t>(10 * i), 90, 160}; }

TEST(Animation, LoadsNumberedFramesWithoutLeadingZeros) {
  testfiles::ScratchDir scratch;
  for (int i = 1; i <= 12; ++i)
    testfiles::writeSolidJpeg("data/animations/walk/walk " + std::to_string(i) + ".jpg", frameColour(i));
  Animation animation("data/animations/walk/walk.jpg", 12, 5);
  ASSERT_TRUE(animation.frames);
  EXPECT_EQ(animation.resourceIndex, 5);
  EXPECT_EQ(animation.frameRate, 2.0f);
  EXPECT_EQ(animation.position, 0.0f);
  for (int k = 0; k < 12; ++k) {
    ASSERT_TRUE(animation.frames[k].image) << k;
    EXPECT_EQ(animation.frames[k].resourceIndex, k + 1);
    EXPECT_TRUE(testfiles::closeTo(animation.frames[k].image->pixels.data(), frameColour(k + 1))) << k;
  }
}

TEST(Animation, StopsAtTheFirstMissingFrame) {
  testfiles::ScratchDir scratch;
  for (int i = 1; i <= 12; ++i) {
    const std::string path = "data/animations/walk/walk " + std::to_string(i) + ".jpg";
    // Frames after the gap are not JPEG files: opening one would end the test.
    if (i < 7) testfiles::writeSolidJpeg(path, frameColour(i));
    if (i > 7) testfiles::writeText(path, "not a picture");
  }
  testing::internal::CaptureStderr();
  Animation animation("data/animations/walk/walk.jpg", 12, 0);
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(animation.frames);
  EXPECT_EQ(errors, "Error: Couldn't load the image data/animations/walk/walk 7.jpg.\n");
}

TEST(Animation, FrameCountBelowOneLoadsNothingAndDrawsNothing) {
  for (int32_t count : {0, -3}) {
    testing::internal::CaptureStderr();
    Animation animation("data/animations/none/none.jpg", count, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(animation.frames);
    EXPECT_EQ(playAndSee(animation, 0.5), -1);
  }
}

TEST(Animation, SetRateAcceptsOnlyOneToFrameCount) {
  struct Case {
    int32_t rate;
    float expected;
  };
  for (const Case c : {Case{10, 2.0f}, {0, 2.0f}, {-5, 2.0f}, {9, 2.0f}, {8, 8.0f}, {1, 1.0f}}) {
    Animation animation = makeAnimation(8);
    animation.setRate(c.rate);
    EXPECT_EQ(animation.frameRate, c.expected) << c.rate;
  }
}

TEST(Animation, PlaybackAdvancesByRateTimesDelta) {
  Animation slow = makeAnimation(12);  // 2 frames a second
  for (int expected : {0, 0, 0, 1, 1, 1, 1, 2}) EXPECT_EQ(playAndSee(slow, 0.125), expected);

  Animation fast = makeAnimation(60);
  fast.setRate(10);
  for (int call = 1; call <= 48; ++call) {
    const int expected = call == 48 ? 0 : static_cast<int>(call * 1.25);
    ASSERT_EQ(playAndSee(fast, 0.125), expected) << "call " << call;
  }
  EXPECT_EQ(fast.position, 0.0f);
}

TEST(Animation, SingleStepsRoundStartOverAndDropTheOvershoot) {
  struct Case {
    const char* what;
    int32_t frames;
    float rate, start;
    double delta;
    int shown;
    float end;
  };
  const Case cases[] = {
      {"58.5 to 61.5 drops the overshoot, not frame 1", 60, 10.0f, 58.5f, 0.3, 0, 0.0f},
      {"exactly the end starts over", 60, 10.0f, 59.0f, 0.1, 0, 0.0f},
      {"just below the end", 60, 10.0f, 58.5f, 0.1, 59, 59.5f},
      // 1 - 2^-24 + 3e-8 lies nearer 1.0f than the float below it.
      {"stored in single precision", 4, 2.0f, std::nextafter(1.0f, 0.0f), 1.5e-8, 1, 1.0f},
      {"a negative step starts over", 4, 2.0f, 0.5f, -1.0, 0, 0.0f},
  };
  for (const Case& c : cases) {
    Animation animation = makeAnimation(c.frames);
    animation.frameRate = c.rate;
    animation.position = c.start;
    EXPECT_EQ(playAndSee(animation, c.delta), c.shown) << c.what;
    EXPECT_EQ(animation.position, c.end) << c.what;
  }
}

}  // namespace
