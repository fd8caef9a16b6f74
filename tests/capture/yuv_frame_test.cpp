#include "yuv_frame.h"

#include <gtest/gtest.h>

#include <cstdint>
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
