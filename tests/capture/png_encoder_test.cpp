// The PNG encoder's files decoded by libpng, an independent reader that checks
// every chunk's CRC and the zlib stream's checksum.
#include "png_encoder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

struct Decoded {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB
};

Decoded decode(const std::vector<uint8_t>& png) {
  Decoded d;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return d;
  if (image.format != PNG_FORMAT_RGB) {
    png_image_free(&image);
    return d;
  }
  image.format = PNG_FORMAT_BGRA;
  d.width = static_cast<int>(image.width);
  d.height = static_cast<int>(image.height);
  d.pixels.resize(static_cast<size_t>(d.width) * d.height);
  d.ok = png_image_finish_read(&image, nullptr, d.pixels.data(), 0, nullptr) != 0;
  for (uint32_t& p : d.pixels) p &= 0x00FFFFFFu;
  return d;
}

std::vector<uint32_t> pattern(const char* kind, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  std::mt19937 random(7);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t& p = pixels[static_cast<size_t>(y) * width + x];
      const std::string k = kind;
      if (k == "noise") {
        p = random();  // the top byte too: the encoder must drop it
      } else if (k == "flat") {
        p = 0xFF123456u;
      } else if (k == "gradient") {
        p = static_cast<uint32_t>((x * 255 / width) << 16 | (y * 255 / height) << 8 | ((x + y) & 0xFF));
      } else {  // stripes whose rows differ by wrapping amounts
        p = static_cast<uint32_t>(((y * 97) & 0xFF) << 16 | ((255 - y) & 0xFF) << 8 | ((x * 13) & 0xFF));
      }
    }
  }
  return pixels;
}

}  // namespace

// With a scale N each pixel decodes as an N x N block.
TEST(FramePngEncoder, BothCompressionsDecodeToTheSamePixels) {
  const struct {
    const char* kind;
    int width, height;
    int scale;
  } cases[] = {{"noise", 640, 480, 1}, {"flat", 640, 480, 1},  {"gradient", 640, 480, 1}, {"stripes", 640, 480, 1},
               {"noise", 1, 1, 1},     {"stripes", 3, 700, 1}, {"gradient", 1001, 2, 1},  {"noise", 320, 240, 2},
               {"stripes", 17, 5, 3},  {"noise", 1, 1, 6},     {"gradient", 101, 40, 5}};
  for (const PngCompression compression : {PngCompression::fast, PngCompression::libdeflate, PngCompression::zlib}) {
    FramePngEncoder encoder(compression);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.kind) + " " + std::to_string(c.width) + "x" + std::to_string(c.height) + " at " +
                   std::to_string(c.scale) + ", compression " + std::to_string(static_cast<int>(compression)));
      const std::vector<uint32_t> source = pattern(c.kind, c.width, c.height);
      std::vector<uint8_t> png;
      std::string error;
      ASSERT_TRUE(encoder.encode(source.data(), c.width, c.height, &png, &error, c.scale)) << error;
      const Decoded d = decode(png);
      ASSERT_TRUE(d.ok);
      const int wide = c.width * c.scale, high = c.height * c.scale;
      EXPECT_EQ(d.width, wide);
      EXPECT_EQ(d.height, high);
      std::vector<uint32_t> expected(static_cast<size_t>(wide) * high);
      for (int y = 0; y < high; ++y) {
        for (int x = 0; x < wide; ++x) {
          expected[static_cast<size_t>(y) * wide + x] = source[(y / c.scale) * c.width + x / c.scale] & 0x00FFFFFFu;
        }
      }
      EXPECT_EQ(d.pixels, expected);
    }
  }
}

// One encoder reused for many frames must not carry anything from one frame
// into the next, and a fresh encoder must give the same bytes.
TEST(FramePngEncoder, SameFrameGivesSameBytesWhateverCameBefore) {
  const std::vector<uint32_t> a = pattern("gradient", 640, 480);
  const std::vector<uint32_t> b = pattern("noise", 640, 480);
  FramePngEncoder reused;
  std::vector<uint8_t> first, between, second, fresh;
  std::string error;
  ASSERT_TRUE(reused.encode(a.data(), 640, 480, &first, &error));
  ASSERT_TRUE(reused.encode(b.data(), 640, 480, &between, &error));
  ASSERT_TRUE(reused.encode(a.data(), 640, 480, &second, &error));
  ASSERT_TRUE(FramePngEncoder().encode(a.data(), 640, 480, &fresh, &error));
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, fresh);
  EXPECT_NE(first, between);
}

// Flat areas must actually compress: a stored (uncompressed) stream would
// also decode correctly but fill disks at 900 kB a frame.
TEST(FramePngEncoder, FlatFrameCompressesToAFewKilobytes) {
  const std::vector<uint32_t> flat = pattern("flat", 640, 480);
  std::vector<uint8_t> png;
  std::string error;
  ASSERT_TRUE(FramePngEncoder().encode(flat.data(), 640, 480, &png, &error));
  EXPECT_LT(png.size(), 8000u);
}

TEST(FramePngEncoder, CompressionNames) {
  PngCompression c = PngCompression::zlib;
  EXPECT_TRUE(parsePngCompression("fast", &c));
  EXPECT_EQ(c, PngCompression::fast);
  EXPECT_TRUE(parsePngCompression("zlib", &c));
  EXPECT_EQ(c, PngCompression::zlib);
  EXPECT_FALSE(parsePngCompression("Fast", &c));
  EXPECT_FALSE(parsePngCompression("", &c));
  EXPECT_EQ(c, PngCompression::zlib);
}
