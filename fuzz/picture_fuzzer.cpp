// JPEG bytes through Picture::load, then every blit: centred at the corners,
// the middle and far outside, keyed by itself and by a smaller and a larger
// mask, and scrolling when it has the screen's size.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "render/blits.h"
#include "render/screen.h"
#include "resources/picture.h"

namespace {

Image solidImage(int32_t width, int32_t height) {
  Image image;
  image.width = width;
  image.height = height;
  image.rowStride = 3 * width;
  image.pixels.assign(static_cast<size_t>(image.rowStride) * height, 0x80);
  return image;
}

std::string inputPath;

// The decoder allows up to 256 MiB, which it fills with filler data when the
// file has none: seconds per input. The bound itself has its tests; here
// inputs claiming more than a few million pixels are skipped, so that the
// fuzzer's time goes to the decoder and the blits instead.
constexpr uint64_t kMostFuzzedPixels = uint64_t{1} << 20;

bool claimsManyPixels(const uint8_t* data, size_t size) {
  for (size_t i = 0; i + 9 <= size; ++i) {
    if (data[i] != 0xFF || data[i + 1] < 0xC0 || data[i + 1] > 0xCF) continue;
    if (data[i + 1] == 0xC4 || data[i + 1] == 0xC8 || data[i + 1] == 0xCC) continue;  // not frame headers
    const uint64_t height = (data[i + 5] << 8) | data[i + 6];
    const uint64_t width = (data[i + 7] << 8) | data[i + 8];
    if (width * height > kMostFuzzedPixels) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  inputPath = (fuzzing::setUpHarness("picture") / "input.jpg").string();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (claimsManyPixels(data, size) || !fuzzing::writeFile(inputPath, data, size)) return 0;
  static const Image smallMask = solidImage(5, 3);
  static const Image largeMask = solidImage(700, 500);
  try {
    Picture picture;
    picture.load(inputPath.c_str(), 0);
    if (!picture.image) return 0;
    const int32_t places[][2] = {{0, 0}, {320, 240}, {639, 479}, {-5000, 100}, {100, 70000}, {INT32_MIN, INT32_MAX}};
    for (const auto& at : places) {
      picture.drawOpaque(at[0], at[1]);
      picture.drawKeyed(at[0], at[1], nullptr);
      picture.drawKeyed(at[0], at[1], &smallMask);
      picture.drawKeyed(at[0], at[1], &largeMask);
    }
    picture.drawScrolling(3.5f, -2.0f, 1.0f);
  } catch (const fuzzing::ProgramExit&) {
  }
  return 0;
}
