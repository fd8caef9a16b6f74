#include "imageio/jpeg_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "resources/picture.h"
#include "resources/test_files.h"

namespace {

TEST(JpegWriter, WritesADecodableFileAndNoTemporary) {
  testfiles::ScratchDir scratch;
  std::vector<uint8_t> rgb;
  for (int i = 0; i < 48 * 16; ++i) rgb.insert(rgb.end(), {static_cast<uint8_t>(i % 48 < 24 ? 230 : 10), 128, 64});
  ASSERT_TRUE(imageio::writeJpeg("w.jpg", 48, 16, rgb.data(), {100, false}));
  EXPECT_FALSE(std::filesystem::exists("w.jpg.tmp"));
  Picture picture("w.jpg", 0);
  ASSERT_TRUE(picture.image);
  EXPECT_EQ(picture.image->width, 48);
  EXPECT_EQ(picture.image->height, 16);
  EXPECT_TRUE(testfiles::closeTo(&picture.image->pixels[3 * 4], {230, 128, 64}));
  EXPECT_TRUE(testfiles::closeTo(&picture.image->pixels[3 * (15 * 48 + 40)], {10, 128, 64}));
}

TEST(JpegWriter, RefusesBadInputWithoutLeavingAFile) {
  testfiles::ScratchDir scratch;
  const std::vector<uint8_t> rgb(16 * 16 * 3, 50);
  struct Case {
    const char* path;
    int width, height;
    const uint8_t* pixels;
  };
  for (const Case& c : {Case{"a.jpg", 0, 16, rgb.data()},
                        {"b.jpg", 16, -1, rgb.data()},
                        {"c.jpg", 70000, 1, rgb.data()},
                        {"d.jpg", 16, 16, nullptr},
                        {"no/such/dir/e.jpg", 16, 16, rgb.data()}}) {
    EXPECT_FALSE(imageio::writeJpeg(c.path, c.width, c.height, c.pixels)) << c.path;
    EXPECT_FALSE(std::filesystem::exists(c.path)) << c.path;
  }
  EXPECT_TRUE(std::filesystem::is_empty("."));
}

}  // namespace
