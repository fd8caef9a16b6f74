#include "render/screen.h"

#include <algorithm>

#include "render/pixel_work.h"

alignas(64) uint32_t Screen::pixels[Screen::pixelCount];

void Screen::clear(int32_t r, int32_t g, int32_t b) {
  if (!pixelwork::enabled()) return;
  const uint32_t word = ((static_cast<uint32_t>(r) & 0xFFu) << 16) | ((static_cast<uint32_t>(g) & 0xFFu) << 8) |
                        (static_cast<uint32_t>(b) & 0xFFu);
  std::fill_n(pixels, pixelCount, word);
}
