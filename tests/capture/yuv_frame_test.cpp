#include "yuv_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

// Reference values of BT.601 in limited range, rounded to nearest.
TEST(YuvFrame, FlatColoursGiveTheirBt601Values) {
  const struct {
    uint32_t rgb;
    int y, u, v;
  } cases[] = {
      {0x000000, 16, 128, 128}, {0xFFFFFF, 235, 128, 128}, {0xFF0000, 81, 90, 240},
      {0x00FF00, 145, 54, 34},  {0x0000FF, 41, 240, 110},  {0x808080, 126, 128, 128},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rgb);
    // The top byte is not colour and must not leak in.
    const std::vector<uint32_t> frame(4 * 2, c.rgb | 0xAB000000u);
    std::vector<uint8_t> out(yuv420Size(4, 2));
    convertToYuv420(frame.data(), 4, 2, out.data());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(out[i], c.y);
    EXPECT_EQ(out[8], c.u);
    EXPECT_EQ(out[9], c.u);
    EXPECT_EQ(out[10], c.v);
    EXPECT_EQ(out[11], c.v);
  }
}

// Each chroma sample covers its own 2 x 2 pixels; at an odd right or bottom
// edge it covers what there is.
TEST(YuvFrame, ChromaAveragesItsOwnPixelsUpToOddEdges) {
  const uint32_t w = 0xFFFFFF, b = 0x0000FF;
  // 3 x 3: the left chroma sample sees two blue and two white pixels, the
  // right one only white, the bottom-left blue and white, the bottom-right white.
  const std::vector<uint32_t> frame = {b, w, w, w, b, w, b, w, w};
  ASSERT_EQ(yuv420Size(3, 3), 9u + 2u * 4u);
  std::vector<uint8_t> out(yuv420Size(3, 3), 0xEE);
  convertToYuv420(frame.data(), 3, 3, out.data());
  EXPECT_EQ(out[0], 41);
  EXPECT_EQ(out[1], 235);
  const uint8_t* u = out.data() + 9;
  const uint8_t* v = u + 4;
  EXPECT_EQ(u[0], 184);  // half blue: 128 + 112 / 2
  EXPECT_EQ(u[1], 128);
  EXPECT_EQ(u[2], 184);
  EXPECT_EQ(u[3], 128);
  EXPECT_EQ(v[0], 119);  // 128 - 18.214 / 2, rounded
  EXPECT_EQ(v[1], 128);
}

// The block code against the per-sample rules, on noise (every bit of every
// channel, and a top byte that must be ignored) at sizes that leave every
// kind of remainder: none, a few columns, an odd column, an odd row.
TEST(YuvFrame, EveryPixelFollowsTheRules) {
  std::mt19937 random(15);
  const struct { int width, height; } sizes[] = {{640, 480}, {16, 2}, {17, 3}, {31, 1}, {47, 5}, {1, 1}, {2, 7}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
    std::vector<uint32_t> frame(static_cast<size_t>(size.width) * size.height);
    for (uint32_t& p : frame) p = static_cast<uint32_t>(random());
    std::vector<uint8_t> out(yuv420Size(size.width, size.height), 0xEE);
    convertToYuv420(frame.data(), size.width, size.height, out.data());

    auto at = [&](int x, int y) {
      return frame[static_cast<size_t>(std::min(y, size.height - 1)) * size.width + std::min(x, size.width - 1)];
    };
    int wrongLuma = 0, wrongChroma = 0;
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.width; ++x) wrongLuma += out[y * size.width + x] != yuv_rules::luma(at(x, y));
    }
    const int chromaWidth = (size.width + 1) / 2, chromaHeight = (size.height + 1) / 2;
    const uint8_t* u = out.data() + size.width * size.height;
    const uint8_t* v = u + chromaWidth * chromaHeight;
    for (int cy = 0; cy < chromaHeight; ++cy) {
      for (int cx = 0; cx < chromaWidth; ++cx) {
        int r = 0, g = 0, b = 0;
        for (const uint32_t p :
             {at(2 * cx, 2 * cy), at(2 * cx + 1, 2 * cy), at(2 * cx, 2 * cy + 1), at(2 * cx + 1, 2 * cy + 1)}) {
          r += p >> 16 & 0xFF;
          g += p >> 8 & 0xFF;
          b += p & 0xFF;
        }
        const int i = cy * chromaWidth + cx;
        wrongChroma += u[i] != yuv_rules::blueDifference(r, g, b);
        wrongChroma += v[i] != yuv_rules::redDifference(r, g, b);
      }
    }
    EXPECT_EQ(wrongLuma, 0);
    EXPECT_EQ(wrongChroma, 0);
  }
}

// An enlarged frame converts to the same bytes as the frame enlarged first,
// each pixel an N x N block: at every scale, with the widths and heights
// whose rows end in a partial block or an odd chroma column.
TEST(YuvFrame, ScaledConversionEqualsTheEnlargedFrames) {
  std::mt19937 random(31);
  const struct { int width, height; } sizes[] = {{640, 480}, {17, 3}, {5, 1}, {1, 2}};
  for (int scale = 1; scale <= 6; ++scale) {
    for (const auto& size : sizes) {
      SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height) + " at " + std::to_string(scale));
      std::vector<uint32_t> frame(static_cast<size_t>(size.width) * size.height);
      for (uint32_t& p : frame) p = static_cast<uint32_t>(random());
      const int wide = size.width * scale, high = size.height * scale;
      std::vector<uint32_t> enlarged(static_cast<size_t>(wide) * high);
      for (int y = 0; y < high; ++y) {
        for (int x = 0; x < wide; ++x) enlarged[y * wide + x] = frame[(y / scale) * size.width + x / scale];
      }
      std::vector<uint8_t> expected(yuv420Size(wide, high), 0xEE), got(yuv420Size(wide, high), 0x11);
      convertToYuv420(enlarged.data(), wide, high, expected.data());
      convertToYuv420Scaled(frame.data(), size.width, size.height, scale, got.data());
      size_t differing = 0;
      for (size_t i = 0; i < got.size(); ++i) differing += got[i] != expected[i];
      EXPECT_EQ(differing, 0u);
    }
  }
}
