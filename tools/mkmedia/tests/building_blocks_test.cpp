// Canvas arithmetic, shapes, the key helpers, the pixel folk and the font
// layout: the parts every picture is made of.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "font_sheet.h"
#include "keyed.h"
#include "pixel_folk.h"
#include "shapes.h"

namespace mkmedia {
namespace {

TEST(Canvas, PacksToBytesRoundingAndClamping) {
  struct Case {
    float value;
    uint8_t byte;
  };
  const Case cases[] = {{-0.5f, 0},  {0.0f, 0},   {0.5f / 255.0f, 1}, {0.49f / 255.0f, 0},
                        {0.5f, 128}, {1.0f, 255}, {7.0f, 255}};
  for (const Case& c : cases) {
    Canvas canvas(1, 1, {c.value, 0.0f, 1.0f});
    std::vector<uint8_t> bytes = toRgbBytes(canvas);
    ASSERT_EQ(bytes.size(), 3u);
    EXPECT_EQ(bytes[0], c.byte) << c.value;
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], 255);
  }
}

TEST(Canvas, BloomSpreadsOnlyWhatIsAboveItsThreshold) {
  Canvas dim(21, 21, {0.5f, 0.5f, 0.5f});
  Canvas copy = dim;
  addBloom(copy, 0.6f, 2.0f, 1.0f);
  for (size_t i = 0; i < dim.pixels.size(); ++i) EXPECT_FLOAT_EQ(copy.pixels[i].x, dim.pixels[i].x);

  Canvas spot(21, 21);
  spot.at(10, 10) = {3.0f, 0.0f, 0.0f};
  addBloom(spot, 1.0f, 2.0f, 1.0f);
  EXPECT_GT(spot.at(13, 10).x, 0.0f);
  EXPECT_GT(spot.at(12, 10).x, spot.at(13, 10).x);
  EXPECT_FLOAT_EQ(spot.at(13, 10).x, spot.at(10, 13).x);  // round, not streaked
  EXPECT_EQ(spot.at(13, 10).y, 0.0f);                     // keeps its hue
}

TEST(Keyed, FinishingLeavesAnExactlyBlackFrameAndCutsFaintTails) {
  Canvas canvas(10, 8, {0.6f, 0.3f, 0.1f});
  canvas.at(5, 4) = {0.05f, 0.05f, 0.05f};
  finishKeyed(canvas, 0.1f, 2);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      bool frame = x < 2 || y < 2 || x >= 8 || y >= 6;
      float peak = std::max({canvas.at(x, y).x, canvas.at(x, y).y, canvas.at(x, y).z});
      if (frame || (x == 5 && y == 4)) {
        EXPECT_EQ(peak, 0.0f) << x << "," << y;
      } else {
        EXPECT_FLOAT_EQ(peak, 0.6f) << x << "," << y;
      }
    }
  }
}

TEST(Keyed, KeepVisibleLiftsDarkColoursAboveTheKeyAndKeepsTheirHue) {
  const Vec3 cases[] = {{0.02f, 0.01f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.1f, 0.05f, 0.12f}, {0.5f, 0.2f, 0.1f}};
  for (const Vec3& c : cases) {
    Vec3 v = keepVisible(c);
    float peak = std::max({v.x, v.y, v.z});
    EXPECT_GE(peak * 255.0f, 30.0f) << "a motif pixel must clear the key of 20 with room for compression";
    float original = std::max({c.x, c.y, c.z});
    if (original >= kKeyFloor) {
      EXPECT_FLOAT_EQ(v.x, c.x);
    } else if (original > 0) {
      EXPECT_NEAR(v.y / peak, c.y / original, 1e-5f);
    }
  }
  EXPECT_EQ(glowOrNothing({0.1f, 0.0f, 0.0f}, 0.2f).x, 0.0f);
  EXPECT_EQ(glowOrNothing({0.3f, 0.0f, 0.0f}, 0.2f).x, 0.3f);
}

TEST(Shapes, DistanceCountsPixelsToTheNearestShapePixel) {
  Coverage dot(9, 9);
  dot.ref(4, 4) = 1.0f;
  std::vector<float> distance = distanceToShape(dot, 3);
  auto at = [&](int x, int y) { return distance[size_t(y) * 9 + size_t(x)]; };
  EXPECT_EQ(at(4, 4), 0.0f);
  EXPECT_FLOAT_EQ(at(6, 4), 2.0f);
  EXPECT_FLOAT_EQ(at(5, 5), std::sqrt(2.0f));
  EXPECT_FLOAT_EQ(at(0, 0), 3.0f) << "beyond the reach everything reads as the reach";
}

TEST(Shapes, BilinearSamplesHitPixelCentresExactly) {
  Coverage c(2, 1);
  c.ref(0, 0) = 0.2f;
  c.ref(1, 0) = 1.0f;
  EXPECT_FLOAT_EQ(sampleCoverage(c, 0.5f, 0.5f), 0.2f);
  EXPECT_FLOAT_EQ(sampleCoverage(c, 1.5f, 0.5f), 1.0f);
  EXPECT_FLOAT_EQ(sampleCoverage(c, 1.0f, 0.5f), 0.6f);
  EXPECT_FLOAT_EQ(sampleCoverage(c, 5.0f, 0.5f), 0.0f);
}

TEST(PixelFolk, EveryPoseStaysInsideItsGridWithAClosedOutline) {
  const FolkLook look;
  for (int step = 0; step < 32; ++step) {
    PixelSprite s = rasterizeFolk(dancePose(float(step) / 32.0f), look);
    ASSERT_EQ(s.width, kFolkGridWidth);
    ASSERT_EQ(s.height, kFolkGridHeight);
    int filled = 0;
    for (int y = 0; y < s.height; ++y) {
      for (int x = 0; x < s.width; ++x) {
        if (!s.isFilled(x, y)) continue;
        ++filled;
        bool edgeOfGrid = x == 0 || y == 0 || x == s.width - 1 || y == s.height - 1;
        EXPECT_FALSE(edgeOfGrid) << "a limb is cut off by the grid at step " << step << ": " << x << "," << y;
        // Only outline pixels may touch the empty outside.
        const Vec3& c = s.colour[size_t(y) * size_t(s.width) + size_t(x)];
        bool outline = c.x == look.outline.x && c.y == look.outline.y && c.z == look.outline.z;
        bool touchesOutside =
            !s.isFilled(x - 1, y) || !s.isFilled(x + 1, y) || !s.isFilled(x, y - 1) || !s.isFilled(x, y + 1);
        if (touchesOutside) {
          EXPECT_TRUE(outline) << "open outline at step " << step << ": " << x << "," << y;
        }
      }
    }
    EXPECT_GT(filled, 150) << "step " << step;
  }
}

// Rows of ink of one glyph of the sheet: first and last row holding stroke.
struct InkRows {
  int top = -1, bottom = -1, left = 99, right = -1;
};

InkRows inkOf(const Canvas& sheet, char c) {
  const int cell = c - 32;
  InkRows ink;
  for (int y = 0; y < kFontCell; ++y) {
    for (int x = 0; x < kFontCell; ++x) {
      const Vec3& p = sheet.at((cell % kFontColumns) * kFontCell + x, (cell / kFontColumns) * kFontCell + y);
      if (std::max({p.x, p.y, p.z}) < 0.5f) continue;
      if (ink.top < 0) ink.top = y;
      ink.bottom = y;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
    }
  }
  return ink;
}

TEST(FontSheet, LettersShareABaselineAndFillTheirCells) {
  Canvas sheet = makeFontSheet();
  const int baseline = inkOf(sheet, 'H').bottom;
  for (char c : std::string("AEHKMXZaehkmnxz0123456789")) {
    EXPECT_EQ(inkOf(sheet, c).bottom, baseline) << c;
  }
  for (char c : std::string("gjpqy")) EXPECT_GT(inkOf(sheet, c).bottom, baseline + 3) << c << " descends";
  EXPECT_EQ(inkOf(sheet, 'H').top, inkOf(sheet, 'E').top) << "capitals share a cap line";
  for (char c : std::string("MWmw@")) {
    InkRows ink = inkOf(sheet, c);
    EXPECT_GE(ink.right - ink.left + 1, 24) << c << " should fill its cell's width";
  }
  InkRows i = inkOf(sheet, 'i');
  EXPECT_NEAR((i.left + i.right) / 2.0, (kFontCell - 1) / 2.0, 2.0) << "narrow letters sit in the middle";
}

}  // namespace
}  // namespace mkmedia
