#include "render/screen.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(Screen, LayoutIsRowMajorTopFirst) {
  EXPECT_EQ(Screen::pixelCount, 307200);
  EXPECT_EQ(&Screen::pixels[307199], &Screen::pixels[479 * 640 + 639]);
  EXPECT_EQ(&Screen::pixels[640], &Screen::pixels[639] + 1);
}

TEST(Screen, ClearKeepsTheLowEightBitsOfEachChannel) {
  struct Case {
    int32_t r, g, b;
    uint32_t word;
  };
  const Case cases[] = {
      {0, 0, 0, 0x00000000u},  {255, 128, 1, 0x00FF8001u}, {256, 0, 0, 0x00000000u},
      {-1, 0, 0, 0x00FF0000u}, {0, -1, 0, 0x0000FF00u},    {0x1234, 0x5678, 0x9ABC, 0x003478BCu},
  };
  for (const Case& c : cases) {
    Screen::pixels[0] = Screen::pixels[Screen::pixelCount - 1] = 0xDEADBEEFu;
    Screen::clear(c.r, c.g, c.b);
    for (int i = 0; i < Screen::pixelCount; ++i) {
      if (Screen::pixels[i] != c.word) {
        ADD_FAILURE() << "clear(" << c.r << ", " << c.g << ", " << c.b << ") word " << i << " = " << std::hex
                      << Screen::pixels[i];
        break;
      }
    }
  }
}
