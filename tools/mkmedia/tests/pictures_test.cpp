// What each picture must hold for the way the show draws it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "animations.h"
#include "media_plan.h"
#include "show_fixture.h"

namespace mkmedia {
namespace {

int brightest(const uint8_t* p) { return std::max({p[0], p[1], p[2]}); }

const PictureResource& pictureAt(const ShowMedia& media, size_t index) { return media.pictures.at(index); }

TEST(FontSheet, GlyphsAreBrightStrokesOnAGroundTheStencilLeavesOut) {
  ShowMedia media = showMedia();
  const PictureResource& font = pictureAt(media, 0);
  DecodedImage sheet = testing::throughJpeg(font.render(), font.quality, "font");
  ASSERT_EQ(sheet.width, 512);
  ASSERT_EQ(sheet.height, 256);
  for (int cell = 0; cell < 128; ++cell) {
    const int left = (cell % 16) * 32, top = (cell / 16) * 32, code = cell + 32;
    int peak = 0;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        int v = brightest(sheet.at(left + x, top + y));
        peak = std::max(peak, v);
        bool cellEdge = x == 0 || y == 0 || x == 31 || y == 31;
        if (cellEdge) {
          EXPECT_LE(v, 49) << "code " << code << " touches its cell edge at " << x << "," << y;
        }
        // Ground well away from any stroke must stay under the stencil's 50.
        bool nearStroke = false;
        for (int dy = -2; dy <= 2 && !nearStroke; ++dy) {
          for (int dx = -2; dx <= 2 && !nearStroke; ++dx) {
            int sx = std::clamp(left + x + dx, 0, 511), sy = std::clamp(top + y + dy, 0, 255);
            nearStroke = brightest(sheet.at(sx, sy)) >= 128;
          }
        }
        if (!nearStroke) {
          EXPECT_LE(v, 49) << "code " << code << " at " << x << "," << y;
        }
      }
    }
    if (code == 32) {
      EXPECT_LE(peak, 49) << "the space must draw nothing";
    }
    if (code >= 33 && code <= 126) {
      EXPECT_GE(peak, 150) << "code " << code << " has no bright stroke";
    }
  }
}

TEST(Backdrop, FillsTheScreenAndWrapsWithoutASeam) {
  Canvas backdrop = pictureAt(showMedia(), 1).render();
  ASSERT_EQ(backdrop.width, 640);
  ASSERT_EQ(backdrop.height, 480);
  auto difference = [&](int x0, int y0, int x1, int y1) {
    Vec3 a = backdrop.at(x0, y0), b = backdrop.at(x1, y1);
    return std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z);
  };
  // Across the wrap the picture must change no more than between two
  // ordinary neighbouring columns (rows) somewhere inside.
  double seamX = 0, insideX = 0, seamY = 0, insideY = 0, brightness = 0;
  for (int y = 0; y < 480; ++y) {
    seamX += difference(639, y, 0, y);
    insideX += difference(319, y, 320, y);
  }
  for (int x = 0; x < 640; ++x) {
    seamY += difference(x, 479, x, 0);
    insideY += difference(x, 239, x, 240);
  }
  for (const Vec3& p : backdrop.pixels) brightness += (p.x + p.y + p.z) / 3.0;
  EXPECT_LT(seamX, insideX * 2.0 + 2.0);
  EXPECT_LT(seamY, insideY * 2.0 + 2.0);
  EXPECT_LT(brightness / double(backdrop.pixels.size()), 0.3) << "too bright for sprites and text on top";
}

class SpriteMask : public ::testing::TestWithParam<int> {};

TEST_P(SpriteMask, IsTwoLevelAndAsLargeAsItsSprite) {
  ShowMedia media = showMedia();
  const PictureResource& sprite = pictureAt(media, size_t(GetParam()));
  const PictureResource& mask = pictureAt(media, size_t(GetParam()) + 1);
  DecodedImage spriteImage = testing::throughJpeg(sprite.render(), sprite.quality, "sprite");
  DecodedImage maskImage = testing::throughJpeg(mask.render(), mask.quality, "mask");
  ASSERT_EQ(maskImage.width, spriteImage.width);
  ASSERT_EQ(maskImage.height, spriteImage.height);
  size_t shown = 0, fringe = 0;
  for (int y = 0; y < maskImage.height; ++y) {
    for (int x = 0; x < maskImage.width; ++x) {
      int v = brightest(maskImage.at(x, y));
      if (v >= 20) ++shown;
      if (v > 40 && v < 215) ++fringe;
    }
  }
  EXPECT_EQ(fringe, 0u) << "grey mask pixels make the key follow compression noise";
  size_t total = size_t(maskImage.width) * size_t(maskImage.height);
  EXPECT_GT(shown, total / 10) << "mask shows almost nothing";
  EXPECT_LT(shown, total) << "mask keys nothing out";
}

INSTANTIATE_TEST_SUITE_P(LowerAndUpper, SpriteMask, ::testing::Values(2, 4));

class MiddlePicture : public ::testing::TestWithParam<int> {};

TEST_P(MiddlePicture, StandsOnABlackGroundTheKeyRemoves) {
  ShowMedia media = showMedia();
  const PictureResource& picture = pictureAt(media, size_t(GetParam()));
  DecodedImage image = testing::throughJpeg(picture.render(), picture.quality, picture.name);
  ASSERT_GT(image.width, 200) << picture.name;
  ASSERT_GT(image.height, 150) << picture.name;
  size_t visible = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      int v = brightest(image.at(x, y));
      bool border = x < 2 || y < 2 || x >= image.width - 2 || y >= image.height - 2;
      if (border) {
        ASSERT_LT(v, 20) << picture.name << " shows a frame at " << x << "," << y;
      }
      if (v >= 20) ++visible;
    }
  }
  EXPECT_GT(visible, size_t(image.width) * size_t(image.height) / 8) << picture.name << " is nearly empty";
}

INSTANTIATE_TEST_SUITE_P(SixToSixteen, MiddlePicture, ::testing::Range(6, 17));

// Blue names (0, 0, 255) are typed over the greetings at x 128.., y 64..324
// and red credits over frame 60: that area must stay dark and hold little blue.
TEST(GreetsAnimation, StaysDarkWhereTheNamesAreTyped) {
  for (int frame : {0, 31, 59}) {
    Canvas still = renderGreetsFrame(frame);
    double sum = 0, blue = 0;
    int count = 0;
    for (int y = 64; y < 324; ++y) {
      for (int x = 128; x < 448; ++x) {
        const Vec3& p = still.at(x, y);
        sum += std::max({p.x, p.y, p.z});
        blue += p.z;
        ++count;
      }
    }
    EXPECT_LT(sum / count, 0.12) << "frame " << frame;
    EXPECT_LT(blue / count, 0.08) << "frame " << frame;
  }
}

}  // namespace
}  // namespace mkmedia
