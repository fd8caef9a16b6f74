#include "render/blits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "render/screen.h"
#include "render/show_state.h"
#include "resources/picture.h"

namespace {

constexpr uint32_t kUntouched = 0xFF000000u;  // blits never write the top byte

struct Rgb {
  uint8_t r, g, b;
};

Picture makePicture(int width, int height, const std::function<Rgb(int, int)>& colour) {
  Picture picture;
  picture.image = std::make_unique<Image>(Image{3 * width, width, height, {}});
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      const Rgb c = colour(i, j);
      picture.image->pixels.insert(picture.image->pixels.end(), {c.r, c.g, c.b});
    }
  }
  return picture;
}

// Every pixel different (up to 4096 x 4096), and never dark enough to be keyed out.
Rgb coordinates(int i, int j) {
  return {static_cast<uint8_t>(i), static_cast<uint8_t>(j), static_cast<uint8_t>(0x80 | (i >> 8) << 4 | (j >> 8))};
}

uint32_t word(Rgb c) { return static_cast<uint32_t>(c.r) << 16 | c.g << 8 | c.b; }

void fillUntouched() { std::fill_n(Screen::pixels, Screen::pixelCount, kUntouched); }

// Checks that the framebuffer holds picture pixel (X - left, Y - top) inside
// the rectangle [x0, x1] x [y0, y1] and nothing anywhere else.
void expectPlaced(int x0, int x1, int y0, int y1, int left, int top, const std::string& what) {
  for (int y = 0; y < Screen::height; ++y) {
    for (int x = 0; x < Screen::width; ++x) {
      const bool inside = x >= x0 && x <= x1 && y >= y0 && y <= y1;
      const uint32_t expected = inside ? word(coordinates(x - left, y - top)) : kUntouched;
      if (Screen::pixels[y * Screen::width + x] != expected) {
        ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is " << std::hex << Screen::pixels[y * 640 + x]
                      << ", expected " << expected;
        return;
      }
    }
  }
}

TEST(Blits, CentredPlacementClipsAndRejectsByTheCentrePoint) {
  struct Case {
    int width, height, x, y;
    int x0, x1, y0, y1;  // framebuffer rectangle drawn; x0 > x1 when nothing is
  };
  const Case cases[] = {
      {100, 50, 320, 240, 270, 369, 215, 264}, {101, 51, 320, 240, 270, 370, 215, 265},
      {100, 50, 639, 240, 589, 639, 215, 264}, {100, 50, 639, 479, 589, 639, 454, 479},
      {100, 50, 640, 240, 1, 0, 0, 0},         {100, 50, 320, 480, 1, 0, 0, 0},
      {100, 50, -49, 240, 0, 0, 215, 264},     {100, 50, -100, 240, 1, 0, 0, 0},
      {100, 50, -101, 240, 1, 0, 0, 0},        {100, 50, 320, -20, 270, 369, 0, 4},
      {100, 50, 320, -51, 1, 0, 0, 0},         {800, 600, 320, 240, 0, 639, 0, 479},
      {640, 480, 320, 240, 0, 639, 0, 479},    {641, 481, 320, 240, 0, 639, 0, 479},
      {640, 480, 321, 240, 1, 639, 0, 479},    {640, 480, 319, 240, 0, 638, 0, 479},
      {640, 480, 320, 239, 0, 639, 0, 478},    {639, 480, 320, 240, 1, 639, 0, 479},
      {640, 479, 320, 240, 0, 639, 1, 479},    {1, 1, 0, 0, 0, 0, 0, 0},
      {1, 1, 639, 479, 639, 639, 479, 479},    {3, 3, 0, 0, 0, 1, 0, 1},
  };
  for (const Case& c : cases) {
    const Picture picture = makePicture(c.width, c.height, coordinates);
    const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height) + " at " + std::to_string(c.x) +
                             "," + std::to_string(c.y);
    const int left = c.x - c.width / 2, top = c.y - c.height / 2;
    fillUntouched();
    picture.drawOpaque(c.x, c.y);
    expectPlaced(c.x0, c.x1, c.y0, c.y1, left, top, "opaque " + what);
    fillUntouched();
    picture.drawKeyed(c.x, c.y, nullptr);
    expectPlaced(c.x0, c.x1, c.y0, c.y1, left, top, "keyed " + what);
    // A scene skips its clear on this answer: it must match what is drawn.
    const bool wholeScreen = c.x0 == 0 && c.x1 == 639 && c.y0 == 0 && c.y1 == 479;
    EXPECT_EQ(picture.coversScreen(c.x, c.y), wholeScreen) << what;
  }
}

TEST(Blits, PicturesThatDrawNothingCoverNothing) {
  Picture none;
  EXPECT_FALSE(none.coversScreen(320, 240));
  Picture gapped = makePicture(640, 480, coordinates);
  gapped.image->rowStride += 3;  // drawOpaque refuses rows with gaps
  EXPECT_FALSE(gapped.coversScreen(320, 240));
  Picture cut = makePicture(640, 480, coordinates);
  cut.image->pixels.resize(cut.image->pixels.size() - 1);
  EXPECT_FALSE(cut.coversScreen(320, 240));
}

TEST(Blits, KeyHidesPixelsWithEveryByteBelowTwenty) {
  struct Case {
    Rgb picture, mask;
    bool withMask, drawn;
  };
  const Case cases[] = {
      {{0, 0, 0}, {}, false, false},
      {{19, 19, 19}, {}, false, false},
      {{0, 0, 20}, {}, false, true},
      {{200, 5, 5}, {}, false, true},
      {{20, 0, 0}, {}, false, true},
      {{0, 19, 0}, {}, false, false},
      {{200, 200, 200}, {19, 19, 19}, true, false},
      {{0, 0, 0}, {20, 0, 0}, true, true},
      {{0, 0, 0}, {0, 0, 255}, true, true},
      {{9, 9, 9}, {0, 0, 0}, true, false},
  };
  const int n = static_cast<int>(std::size(cases));
  const Picture picture = makePicture(n, 2, [&](int i, int) { return cases[i].picture; });
  const Picture mask = makePicture(n, 2, [&](int i, int) { return cases[i].mask; });
  fillUntouched();
  picture.drawKeyed(320, 240, nullptr);
  const int left = 320 - n / 2;
  for (int i = 0; i < n; ++i) {
    if (cases[i].withMask) continue;
    const uint32_t expected = cases[i].drawn ? word(cases[i].picture) : kUntouched;
    EXPECT_EQ(Screen::pixels[240 * 640 + left + i], expected) << "unmasked case " << i;
  }
  fillUntouched();
  picture.drawKeyed(320, 240, mask.image.get());
  for (int i = 0; i < n; ++i) {
    if (!cases[i].withMask) continue;
    const uint32_t expected = cases[i].drawn ? word(cases[i].picture) : kUntouched;
    EXPECT_EQ(Screen::pixels[240 * 640 + left + i], expected) << "masked case " << i;
  }
}

TEST(Blits, SmallerMaskKeysOnlyThePixelsItHas) {
  const Picture picture = makePicture(10, 10, coordinates);
  struct Case {
    int maskWidth, maskHeight;
  };
  for (const Case c : {Case{10, 5}, {4, 10}, {1, 1}}) {
    const Picture mask = makePicture(c.maskWidth, c.maskHeight, [](int, int) { return Rgb{255, 255, 255}; });
    const int maskPixels = c.maskWidth * c.maskHeight;
    fillUntouched();
    picture.drawKeyed(100, 100, mask.image.get());
    // The key of picture pixel (i, j) is mask pixel number j * 10 + i.
    for (int j = 0; j < 10; ++j) {
      for (int i = 0; i < 10; ++i) {
        const uint32_t expected = j * 10 + i < maskPixels ? word(coordinates(i, j)) : kUntouched;
        EXPECT_EQ(Screen::pixels[(95 + j) * 640 + 95 + i], expected) << c.maskWidth << "x" << c.maskHeight;
      }
    }
  }
}

TEST(Blits, PicturesWithoutADrawableImageDrawNothing) {
  Picture empty;
  Picture shortPixels = makePicture(640, 480, coordinates);
  shortPixels.image->pixels.resize(100);
  Picture wrongStride = makePicture(640, 480, coordinates);
  wrongStride.image->rowStride = 640;
  for (const Picture* picture : {&empty, &shortPixels, &wrongStride}) {
    showState.scrollOffsetX = 5.0f;
    fillUntouched();
    picture->drawOpaque(320, 240);
    picture->drawKeyed(320, 240, nullptr);
    EXPECT_FALSE(picture->drawScrolling(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(std::count(Screen::pixels, Screen::pixels + Screen::pixelCount, kUntouched), Screen::pixelCount);
    EXPECT_EQ(showState.scrollOffsetX, 5.0f);
  }
}

TEST(Blits, ScrollingShiftsWrapsAndSnapsTheOffsets) {
  struct Case {
    float startX, startY, dx, dy, scale;
    float endX, endY;
  };
  const float nan = std::nanf("");
  const Case cases[] = {
      {0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f},         {10.9f, 0.0f, 0.0f, 0.0f, 1.0f, 10.9f, 0.0f},
      {0.0f, 0.0f, -0.5f, -0.7f, 1.0f, -0.5f, -0.7f},     {0.0f, 0.0f, -1.0f, -1.5f, 1.0f, -1.0f, -1.5f},
      {0.0f, 0.0f, -1.0f, 0.56f, 64.0f, -64.0f, 35.84f},  {639.0f, 479.0f, 2.0f, 1.0f, 1.0f, 0.0f, 0.0f},
      {-639.5f, -479.5f, -1.0f, -0.5f, 1.0f, 0.0f, 0.0f}, {-639.0f, 100.0f, -1.0f, 0.0f, 1.0f, 0.0f, 100.0f},
      {639.5f, 479.5f, 0.0f, 0.0f, 1.0f, 639.5f, 479.5f}, {0.0f, 0.0f, -1.0f, 0.56f, 1e9f, 0.0f, 0.0f},
      {3.0f, 4.0f, nan, 1.0f, 1.0f, 0.0f, 5.0f},
  };
  const Picture picture = makePicture(640, 480, coordinates);
  for (const Case& c : cases) {
    showState.scrollOffsetX = c.startX;
    showState.scrollOffsetY = c.startY;
    fillUntouched();
    EXPECT_TRUE(picture.drawScrolling(c.dx, c.dy, c.scale));
    EXPECT_EQ(showState.scrollOffsetX, c.endX) << c.startX << " + " << c.dx << " * " << c.scale;
    EXPECT_EQ(showState.scrollOffsetY, c.endY) << c.startY << " + " << c.dy << " * " << c.scale;
    const int ox = static_cast<int>(std::trunc(c.endX)), oy = static_cast<int>(std::trunc(c.endY));
    // Framebuffer pixel (x, y) shows picture pixel ((x - ox) mod 640, (y - oy) mod 480).
    int mismatches = 0;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        const uint32_t expected = word(coordinates((x - ox + 640) % 640, (y - oy + 480) % 480));
        mismatches += Screen::pixels[y * 640 + x] != expected;
      }
    }
    EXPECT_EQ(mismatches, 0) << "offsets " << c.endX << ", " << c.endY;
  }
}

TEST(Blits, ScrollingIgnoresPicturesOfAnyOtherSize) {
  for (const auto& [width, height] : {std::pair{640, 479}, {641, 480}, {320, 240}}) {
    const Picture picture = makePicture(width, height, coordinates);
    showState.scrollOffsetX = 1.0f;
    showState.scrollOffsetY = 2.0f;
    fillUntouched();
    EXPECT_FALSE(picture.drawScrolling(5.0f, 5.0f, 1.0f));
    EXPECT_EQ(showState.scrollOffsetX, 1.0f);
    EXPECT_EQ(showState.scrollOffsetY, 2.0f);
    EXPECT_EQ(std::count(Screen::pixels, Screen::pixels + Screen::pixelCount, kUntouched), Screen::pixelCount);
  }
}

}  // namespace
