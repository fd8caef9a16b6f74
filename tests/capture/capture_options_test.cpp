#include "capture_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::optional<CaptureOptions> parse(std::vector<std::string> args, std::string* error = nullptr) {
  std::string ignored;
  return parseCaptureOptions(args, error != nullptr ? error : &ignored);
}

}  // namespace

TEST(CaptureOptions, AcceptedCommandLines) {
  auto o = parse({"--frames", "out"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->framesDir, "out");
  EXPECT_EQ(o->fps.numerator, 60);
  EXPECT_EQ(o->fps.denominator, 1);
  // Without -C the show is found when the capture starts, by the show's own rule.
  EXPECT_EQ(o->showDir, "");
  EXPECT_EQ(o->loadDelay, 0.0);

  o = parse({"--video", "show.mp4", "--fps", "60000/1001", "-C", "show", "--from", "1.5", "--to", "2", "-q"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->fps.numerator, 60000);
  EXPECT_EQ(o->fps.denominator, 1001);
  EXPECT_NEAR(o->fps.value(), 59.94, 0.001);
  EXPECT_EQ(o->showDir, "show");
  EXPECT_EQ(o->from, 1.5);
  EXPECT_EQ(*o->to, 2.0);
  EXPECT_TRUE(o->quiet);

  o = parse({"--frame-at", "42.25", "--png", "f.png", "--load-delay", "0.3"});
  ASSERT_TRUE(o);
  EXPECT_EQ(*o->frameAt, 42.25);
  EXPECT_EQ(o->loadDelay, 0.3);

  EXPECT_EQ(o->pngCompression, PngCompression::fast);
  EXPECT_EQ(o->threads, 0u);
  EXPECT_EQ(o->video.preset, "ultrafast");
  EXPECT_FALSE(o->video.constantRateFactor);
  EXPECT_EQ(o->video.quality, 15);

  o = parse({"--frames", "f", "--png-compression", "zlib", "--threads", "3", "--video", "v.mp4", "--video-preset",
             "veryfast", "--video-crf", "0"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->pngCompression, PngCompression::zlib);
  EXPECT_EQ(o->threads, 3u);
  EXPECT_EQ(o->video.preset, "veryfast");
  EXPECT_TRUE(o->video.constantRateFactor);
  EXPECT_EQ(o->video.quality, 0);
  // The last of the two rate controls given is the one used.
  o = parse({"--video", "v.mp4", "--video-crf", "20", "--video-qp", "51"});
  ASSERT_TRUE(o);
  EXPECT_FALSE(o->video.constantRateFactor);
  EXPECT_EQ(o->video.quality, 51);

  EXPECT_EQ(o->scale, 1);
  o = parse({"--frames", "f", "--scale", "6"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->scale, 6);

  // The preset's settings give way to those given with it, wherever they stand.
  o = parse({"--fps", "30", "--for-sharing", "--video", "v.mp4"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->scale, 4);
  EXPECT_EQ(o->fps.numerator, 30);
  EXPECT_TRUE(o->video.yuvPipe);
  o = parse({"--video", "v.mp4", "--for-sharing", "--scale", "2"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->scale, 2);
  EXPECT_EQ(o->fps.numerator, 60);

  // The show's last moment is a time like any other.
  o = parse({"--frame-at", "96", "--png", "f.png"});
  ASSERT_TRUE(o);
  EXPECT_EQ(*o->frameAt, 96.0);

  o = parse({"--help"});
  ASSERT_TRUE(o);
  EXPECT_TRUE(o->help);
}

TEST(CaptureOptions, RefusedCommandLinesSayWhy) {
  const struct {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{}, "nothing to write"},
      {{"--frames"}, "needs a value"},
      {{"--frames", "a", "--fps", "0"}, "--fps"},
      {{"--frames", "a", "--fps", "30/0"}, "--fps"},
      {{"--frames", "a", "--fps", "-30"}, "--fps"},
      {{"--frames", "a", "--fps", "abc"}, "--fps"},
      {{"--frames", "a", "--fps", "2000"}, "--fps"},
      {{"--frames", "a", "--from", "-1"}, "seconds"},
      {{"--frames", "a", "--from", "nan"}, "seconds"},
      {{"--frames", "a", "--to", "1x"}, "seconds"},
      // Times are read as the show reads --seek, within the show.
      {{"--frame-at", "1e308", "--png", "f.png"}, "--frame-at takes seconds from 0 to 96, such as 57.5, not '1e308'"},
      {{"--frame-at", "100", "--png", "f.png"}, "--frame-at takes seconds from 0 to 96"},
      {{"--frame-at", "96.01", "--png", "f.png"}, "--frame-at takes seconds from 0 to 96"},
      {{"--frame-at", "0x10", "--png", "f.png"}, "--frame-at takes seconds"},
      {{"--frames", "a", "--from", "0x1p5"}, "--from takes seconds"},
      {{"--frames", "a", "--to", "inf"}, "--to takes seconds"},
      {{"--frames", "a", "--to", "97"}, "--to takes seconds"},
      {{"--frames", "a", "--load-delay", "1e308"}, "--load-delay takes seconds"},
      {{"--frames", "a", "--load-delay", " 5"}, "--load-delay takes seconds"},
      {{"--frames", "a", "--from", std::string(10000, '9')}, "not '9999999999999999999999999999999999999999...'"},
      {{"--frames", "a", "--from", "5", "--to", "4"}, "before"},
      {{"--frame-at", "3"}, "go together"},
      {{"--png", "x.png"}, "go together"},
      {{"--frames", "a", "--loud"}, "unknown option"},
      {{"--frames", "a", "--png-compression", "best"}, "fast, libdeflate or zlib"},
      {{"--frames", "a", "--threads", "0"}, "--threads"},
      {{"--frames", "a", "--threads", "65"}, "--threads"},
      {{"--video", "a", "--video-preset", "placebo2"}, "x264 preset"},
      {{"--video", "a", "--video-crf", "52"}, "--video-crf"},
      {{"--video", "a", "--video-crf", "-1"}, "--video-crf"},
      {{"--video", "a", "--video-crf", "00x"}, "--video-crf"},
      {{"--video", "a", "--video-qp", "52"}, "--video-qp"},
      {{"--video", "a", "--video-qp"}, "--video-qp"},
      {{"--frames", "a", "--scale", "0"}, "--scale takes a whole number from 1 to 6"},
      {{"--frames", "a", "--scale", "7"}, "--scale"},
      {{"--frames", "a", "--scale", "-2"}, "--scale"},
      {{"--frames", "a", "--scale", "2x"}, "--scale"},
      {{"--frames", "a", "--scale"}, "--scale needs a value"},
      {{"--video", "a", "--scale", "2", "--video-pipe", "rgb"}, "--video-pipe rgb"},
      {{"--video", "a", "--for-sharing", "--video-pipe", "rgb"}, "--video-pipe rgb"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(parse(c.args, &error)) << c.reason;
    EXPECT_NE(error.find(c.reason), std::string::npos) << "got: " << error;
  }
}
