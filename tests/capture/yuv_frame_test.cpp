#include "yuv_frame.h"

#include "luma_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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

// An enlarged frame for a player that interpolates chroma: its luma is
// refitted so that the colour the player shows is nearer the source at each
// colour edge, and left exact inside flat areas. A table over scales and
// edges between saturated, pale and dark colours, with a lone pixel (the
// hardest case: it meets its neighbour's colour on all four sides).
TEST(YuvFrame, FittedLumaBringsAnInterpolatingPlayerNearerTheSource) {
  const struct {
    uint32_t a, b;
  } edges[] = {{0xFF0000, 0x000000}, {0x0000FF, 0xFFFFFF}, {0x00FF00, 0xFF00FF},
               {0xFFFF00, 0x0000FF}, {0x8040C0, 0x20A040}, {0xE0C0A0, 0x102060}};
  constexpr int width = 12, height = 8;
  for (int scale = 2; scale <= 4; ++scale) {
    for (const auto& edge : edges) {
      SCOPED_TRACE(std::to_string(edge.a) + " against " + std::to_string(edge.b) + " at " + std::to_string(scale));
      // a | b halves, and a lone b pixel inside a.
      std::vector<uint32_t> frame(width * height);
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) frame[y * width + x] = x < width / 2 ? edge.a : edge.b;
      }
      frame[3 * width + 2] = edge.b;
      const int wide = width * scale, high = height * scale;
      std::vector<uint8_t> yuv(yuv420Size(wide, high));
      convertToYuv420Scaled(frame.data(), width, height, scale, yuv.data());
      std::vector<uint32_t> plain(static_cast<size_t>(wide) * high), fitted(plain.size());
      decodeUpsampled(yuv.data(), wide, high, plain.data());
      fitLumaToUpsampledChroma(frame.data(), width, height, scale, yuv.data());
      decodeUpsampled(yuv.data(), wide, high, fitted.data());
      // A pixel's luma moves only its own colour: one frame with every luma
      // one lower and one with every luma one higher give each pixel's
      // alternatives at once.
      std::vector<uint32_t> lower(plain.size()), higher(plain.size());
      std::vector<uint8_t> shifted = yuv;
      for (size_t i = 0; i < plain.size(); ++i) shifted[i] = static_cast<uint8_t>(std::max(yuv[i] - 1, 0));
      decodeUpsampled(shifted.data(), wide, high, lower.data());
      for (size_t i = 0; i < plain.size(); ++i) shifted[i] = static_cast<uint8_t>(std::min(yuv[i] + 1, 255));
      decodeUpsampled(shifted.data(), wide, high, higher.data());

      double plainError = 0, fittedError = 0;
      int flatWrong = 0, notBest = 0;
      for (int y = 0; y < high; ++y) {
        for (int x = 0; x < wide; ++x) {
          const uint32_t source = frame[(y / scale) * width + x / scale];
          const size_t i = static_cast<size_t>(y) * wide + x;
          int worst = 0, fittedHere = 0, lowerHere = 0, higherHere = 0, slack = 0;
          for (int shift : {16, 8, 0}) {
            auto channel = [shift](uint32_t rgb) { return static_cast<int>(rgb >> shift & 0xFF); };
            const int want = channel(source), f = channel(fitted[i]) - want, p = channel(plain[i]) - want;
            const int l = channel(lower[i]) - want, h = channel(higher[i]) - want;
            plainError += p * p;
            fittedError += f * f;
            fittedHere += f * f;
            lowerHere += l * l;
            higherHere += h * h;
            slack += std::abs(f) + 1;
            worst = std::max(worst, std::abs(f));
          }
          notBest += std::min(lowerHere, higherHere) + slack < fittedHere;
          // Two show pixels from any other colour the chroma is the pixel's own.
          const int sx = x / scale, sy = y / scale;
          bool flat = true;
          for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
              const int nx = std::clamp(sx + dx, 0, width - 1), ny = std::clamp(sy + dy, 0, height - 1);
              flat = flat && frame[ny * width + nx] == source;
            }
          }
          if (flat) flatWrong += worst > 2;
        }
      }
      // Less than 95% of the plain conversion's squared error (it gives 67%
      // to 91% here); no pixel whose luma one step up or down would be nearer
      // by more than the decoder's rounding to bytes explains; flat areas exact.
      EXPECT_LT(fittedError, 0.95 * plainError);
      EXPECT_EQ(notBest, 0);
      EXPECT_EQ(flatWrong, 0);
    }
  }
}
