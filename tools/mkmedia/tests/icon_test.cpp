// The desktop icon: a tile with a see-through surround and the dancer on it.
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "icon.h"

namespace mkmedia {
namespace {

struct Rgba {
  uint8_t r, g, b, a;
};

Rgba pixelAt(const IconImage& icon, int x, int y) {
  const uint8_t* p = icon.rgba.data() + (size_t(y) * size_t(icon.size) + size_t(x)) * 4;
  return {p[0], p[1], p[2], p[3]};
}

TEST(Icon, EachSizeIsATileWithClearCornersAndTheDancerInTheMiddle) {
  std::vector<int> sizes(std::begin(kIconSizes), std::end(kIconSizes));
  sizes.insert(sizes.end(), std::begin(kWebIconSizes), std::end(kWebIconSizes));
  for (const int size : sizes) {
    const IconImage icon = makeIcon(size);
    ASSERT_EQ(icon.size, size);
    ASSERT_EQ(icon.rgba.size(), size_t(size) * size_t(size) * 4);
    const int last = size - 1;
    for (const auto& [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}}) {
      EXPECT_EQ(pixelAt(icon, x, y).a, 0) << size << " corner " << x << "," << y;
    }
    EXPECT_EQ(pixelAt(icon, size / 2, size / 2).a, 255) << size;
    EXPECT_EQ(pixelAt(icon, size / 2, 2 + size / 16).a, 255) << size << " top edge inside";

    // The lead's pink shirt and the dark outline of the figure show up in the
    // middle of the tile, and the figure keeps clear of the tile's edge.
    int shirt = 0, outline = 0, outlineNearEdge = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const Rgba p = pixelAt(icon, x, y);
        if (p.r > 200 && p.g < 100 && p.b > 100 && p.b < 180) ++shirt;
        const bool dark = p.r < 40 && p.g < 20 && p.b < 50 && p.a == 255;
        if (dark) ++outline;
        if (dark && (x < size / 20 || y < size / 20 || x > last - size / 20 || y > last - size / 20)) {
          ++outlineNearEdge;
        }
      }
    }
    EXPECT_GT(shirt, size * size / 200) << size;
    EXPECT_GT(outline, size * size / 100) << size;
    EXPECT_EQ(outlineNearEdge, 0) << size;
  }
}

TEST(Icon, DrawnTheSameEveryTime) { EXPECT_EQ(makeIcon(48).rgba, makeIcon(48).rgba); }

}  // namespace
}  // namespace mkmedia
