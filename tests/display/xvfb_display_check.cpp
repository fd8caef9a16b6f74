// Run on an X server: presents a known picture through the show's display,
// takes a screenshot of the whole screen with ImageMagick's `import`, and
// checks that the screen shows the picture, reduced by the display's format
// and scaled to fill the screen with its aspect kept.
//
//   xvfb_display_check WIDTHxHEIGHT CONVERTER
//
// WIDTHxHEIGHT is the screen's size, CONVERTER the converter the display must
// pick (e.g. convert16Rgb565). Exit code 0 when everything matches.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "platform/platform.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

struct ChannelBits {
  int red, green, blue;
};

ChannelBits bitsKept(const char* converter) {
  if (std::strstr(converter, "565") != nullptr) return {5, 6, 5};
  if (std::strstr(converter, "555") != nullptr) return {5, 5, 5};
  return {8, 8, 8};
}

std::vector<uint32_t> knownPicture() {
  std::vector<uint32_t> pixels(kWidth * kHeight);
  uint32_t state = 99991;
  for (uint32_t& pixel : pixels) {
    state = state * 1664525u + 1013904223u;
    pixel = state >> 8;
  }
  return pixels;
}

bool sameKeptBits(uint32_t expected, const uint8_t* shown, ChannelBits bits) {
  const int r = static_cast<int>((expected >> 16) & 0xFF) >> (8 - bits.red);
  const int g = static_cast<int>((expected >> 8) & 0xFF) >> (8 - bits.green);
  const int b = static_cast<int>(expected & 0xFF) >> (8 - bits.blue);
  return r == shown[0] >> (8 - bits.red) && g == shown[1] >> (8 - bits.green) && b == shown[2] >> (8 - bits.blue);
}

int fail(const char* text) {
  std::fprintf(stderr, "xvfb_display_check: %s\n", text);
  displayClose();
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int screenWidth = 0, screenHeight = 0;
  if (argc != 3 || std::sscanf(argv[1], "%dx%d", &screenWidth, &screenHeight) != 2) {
    std::fprintf(stderr, "usage: %s WIDTHxHEIGHT CONVERTER\n", argv[0]);
    return 2;
  }
  const char* expectedConverter = argv[2];

  if (!displayOpen("Pixelfolk enjoy dance!", kWidth, kHeight)) {
    std::fprintf(stderr, "xvfb_display_check: cannot open the display: %s\n", displayFailureReason());
    return 1;
  }
  const char* converter = pixelConverterName(displayPixelConverter());
  std::printf("converter: %s\n", converter);
  if (std::strcmp(converter, expectedConverter) != 0) return fail("not the expected converter");

  const std::vector<uint32_t> picture = knownPicture();
  for (int frame = 0; frame < 30; ++frame) {
    displayPresent(picture.data());
    platform::sleepMilliseconds(10);
  }

  // Named after the whole case: the cases run in parallel in one folder.
  const std::string shot = std::string("xvfb_display_check_") + argv[1] + "_" + converter + ".rgb";
  const std::string command = "import -window root -depth 8 rgb:" + shot;
  if (std::system(command.c_str()) != 0) return fail("import failed");
  std::vector<uint8_t> screen(static_cast<size_t>(screenWidth) * static_cast<size_t>(screenHeight) * 3);
  FILE* file = std::fopen(shot.c_str(), "rb");
  if (file == nullptr) return fail("no screenshot");
  const size_t got = std::fread(screen.data(), 1, screen.size(), file);
  std::fclose(file);
  std::remove(shot.c_str());
  if (got != screen.size()) return fail("the screenshot is not of the screen's size");

  // The picture's area: the largest 4:3 rectangle, centred, black bars around.
  int areaWidth = screenWidth, areaHeight = screenHeight;
  if (screenWidth * kHeight > screenHeight * kWidth) areaWidth = screenHeight * kWidth / kHeight;
  if (screenWidth * kHeight < screenHeight * kWidth) areaHeight = screenWidth * kHeight / kWidth;
  const int left = (screenWidth - areaWidth) / 2, top = (screenHeight - areaHeight) / 2;

  const ChannelBits bits = bitsKept(converter);
  long mismatches = 0;
  for (int y = 0; y < screenHeight; ++y) {
    for (int x = 0; x < screenWidth; ++x) {
      const uint8_t* shown = &screen[(static_cast<size_t>(y) * static_cast<size_t>(screenWidth) + x) * 3];
      const int ax = x - left, ay = y - top;
      bool ok = false;
      if (ax < 0 || ay < 0 || ax >= areaWidth || ay >= areaHeight) {
        ok = shown[0] == 0 && shown[1] == 0 && shown[2] == 0;
      } else {
        // Nearest-neighbour scaling may round either way at a boundary.
        const int xs[] = {ax * kWidth / areaWidth, (2 * ax + 1) * kWidth / (2 * areaWidth)};
        const int ys[] = {ay * kHeight / areaHeight, (2 * ay + 1) * kHeight / (2 * areaHeight)};
        for (const int sy : ys) {
          for (const int sx : xs) ok = ok || sameKeptBits(picture[static_cast<size_t>(sy * kWidth + sx)], shown, bits);
        }
      }
      if (!ok && mismatches++ < 5) {
        std::fprintf(stderr, "screen (%d, %d) shows %02X%02X%02X\n", x, y, shown[0], shown[1], shown[2]);
      }
    }
  }
  displayClose();
  std::printf("%dx%d screen, picture %dx%d at (%d, %d): %ld pixels differ\n", screenWidth, screenHeight, areaWidth,
              areaHeight, left, top, mismatches);
  return mismatches == 0 ? 0 : 1;
}
