#include "imageio/jpeg_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "resources/test_files.h"

namespace {

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
