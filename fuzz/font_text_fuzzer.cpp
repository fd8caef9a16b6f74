// Text, positions, colours and typewriter steps through the font and
// typeText: the input is a small header of numbers, then the text.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "render/font.h"
#include "render/screen.h"
#include "render/show_state.h"

namespace {

// A 512 x 256 sheet like the show's font picture: 16 x 8 cells of 32 x 32.
Font& theFont() {
  static Font* font = [] {
    Picture sheet;
    sheet.image = std::make_unique<Image>();
    Image& image = *sheet.image;
    image.width = 512;
    image.height = 256;
    image.rowStride = 3 * image.width;
    image.pixels.resize(static_cast<size_t>(image.rowStride) * image.height);
    for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>((i / 3) % 5 == 0 ? 255 : 0);
    return new Font(16, 8, 32, 32, &sheet);
  }();
  return *font;
}

template <typename T>
T take(const uint8_t*& data, size_t& size) {
  T value{};
  if (size >= sizeof value) {
    std::memcpy(&value, data, sizeof value);
    data += sizeof value;
    size -= sizeof value;
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::setUpHarness("font-text");
  theFont();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto x = take<int32_t>(data, size);
  const auto y = take<int32_t>(data, size);
  const auto r = take<int32_t>(data, size);
  const auto g = take<int32_t>(data, size);
  const auto b = take<int32_t>(data, size);
  const auto increment = take<double>(data, size);
  const auto revealed = take<uint16_t>(data, size);  // the count only grows from 3
  const std::string text(reinterpret_cast<const char*>(data), size);

  try {
    drawText(theFont(), Screen::pixels, x, y, r, g, b, "%s", text.c_str());
    showState.typewriterRevealed = revealed;
    for (int step = 0; step < 4; ++step) {
      typeText(theFont(), increment, Screen::pixels, x, y, r, g, b, "%s", text.c_str());
    }
  } catch (const fuzzing::ProgramExit&) {
  }
  return 0;
}
