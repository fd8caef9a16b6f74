// Helper of the end-to-end run: when to look at the screen, and whether a
// screenshot shows the scene it should.
//
//   scene_check times demo.xm        print the moments worth a screenshot
//   scene_check SCENE shot.png
//
// SCENE is opening, title, greetings or closing. Run it in the show
// directory: the closing scene is compared with the still it is drawn on.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "music/trigger_timeline.h"
#include "render/screen.h"
#include "resources/data_controller.h"

namespace {

struct Shot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

bool readShot(const char* path, Shot* shot) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) return false;
  image.format = PNG_FORMAT_BGRA;
  shot->width = static_cast<int>(image.width);
  shot->height = static_cast<int>(image.height);
  shot->pixels.resize(static_cast<size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, shot->pixels.data(), 0, nullptr)) return false;
  for (uint32_t& p : shot->pixels) p &= 0x00FFFFFFu;
  return true;
}

// Share of the pixels in a rectangle that satisfy a test.
template <class Test>
double share(const Shot& s, int x0, int y0, int x1, int y1, Test test) {
  long hits = 0, all = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x, ++all) hits += test(s.at(x, y)) ? 1 : 0;
  }
  return all > 0 ? static_cast<double>(hits) / all : 0.0;
}

bool isBlack(uint32_t p) { return p == 0; }
bool isRed(uint32_t p) { return p == 0x00FF0000u; }
bool isBlue(uint32_t p) { return p == 0x000000FFu; }

int failures = 0;
void expect(bool ok, const char* what, double value) {
  std::printf("%s %s (%.3f)\n", ok ? "ok  " : "FAIL", what, value);
  if (!ok) ++failures;
}

int printTimes(const char* module) {
  const TriggerTimeline t = scanTriggerTimelineFile(module, 44100);
  if (!t.loaded) {
    std::fprintf(stderr, "scene_check: cannot read %s\n", module);
    return 1;
  }
  const double title = (t.timeOfHit(1, 706) + t.timeOfHit(1, 960)) / 2;
  const double greetings = (t.timeOfHit(1, 960) + t.timeOfHit(1, 1180)) / 2;
  std::printf("opening 12.0\ntitle %.2f\ngreetings %.2f\nclosing 92.0\n", title, greetings);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "times") == 0) return printTimes(argv[2]);
  if (argc < 3) {
    std::fprintf(stderr, "usage: scene_check times demo.xm | scene_check SCENE shot.png\n");
    return 2;
  }
  const std::string scene = argv[1];
  Shot s;
  if (!readShot(argv[2], &s) || s.width != 640 || s.height != 480) {
    std::fprintf(stderr, "scene_check: %s is not a 640x480 PNG\n", argv[2]);
    return 2;
  }
  auto lit = [](uint32_t p) { return !isBlack(p); };
  if (scene == "opening") {
    // The scrolling background fills the left edge, the sprites the middle of
    // the top and bottom, a picture the centre.
    expect(share(s, 0, 150, 100, 330, lit) > 0.9, "background at the left edge", share(s, 0, 150, 100, 330, lit));
    expect(share(s, 280, 380, 360, 420, lit) > 0.5, "lower sprite", share(s, 280, 380, 360, 420, lit));
    expect(share(s, 280, 60, 360, 100, lit) > 0.5, "upper sprite", share(s, 280, 60, 360, 100, lit));
  } else if (scene == "title") {
    expect(share(s, 0, 150, 40, 330, isBlack) > 0.99, "no background", share(s, 0, 150, 40, 330, isBlack));
    expect(share(s, 200, 180, 440, 300, lit) > 0.5, "title animation", share(s, 200, 180, 440, 300, lit));
    expect(share(s, 0, 352, 96, 384, isRed) > 0.1, "red \"Pixelfolk enjoy\"", share(s, 0, 352, 96, 384, isRed));
    expect(share(s, 128, 384, 224, 416, lit) > 0.1, "\"dance\"", share(s, 128, 384, 224, 416, lit));
  } else if (scene == "greetings") {
    expect(share(s, 128, 96, 448, 324, isBlue) > 0.05, "blue greetings", share(s, 128, 96, 448, 324, isBlue));
    expect(share(s, 0, 352, 96, 384, isRed) < 0.01, "title text gone", share(s, 0, 352, 96, 384, isRed));
  } else if (scene == "closing") {
    expect(share(s, 0, 240, 600, 272, isRed) > 0.05, "\"Code & music: Quelm\"", share(s, 0, 240, 600, 272, isRed));
    expect(share(s, 0, 340, 350, 370, isRed) > 0.05, "\"GFX: Vastel\"", share(s, 0, 340, 350, 370, isRed));
    expect(share(s, 128, 96, 448, 324, isBlue) < 0.01, "greetings gone", share(s, 128, 96, 448, 324, isBlue));
    // Below the credits, what differs from the still are the closing lines.
    DataController data("resinfo.rli");
    Picture* still = data.getAnimationFrame(1, 59);
    if (still == nullptr) {
      std::fprintf(stderr, "scene_check: the show has no closing still\n");
      return 2;
    }
    Screen::clear(0, 0, 0);
    still->drawOpaque(320, 240);
    auto changedShare = [&](int y0, int y1) {
      long changed = 0;
      for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < 480; ++x) changed += s.at(x, y) != Screen::pixels[y * 640 + x];
      }
      return static_cast<double>(changed) / ((y1 - y0) * 480);
    };
    expect(changedShare(0, 230) < 0.01, "the still above the credits", changedShare(0, 230));
    expect(changedShare(372, 402) > 0.05, "\"Made in a hurry\"", changedShare(372, 402));
    expect(changedShare(402, 434) > 0.05, "\"at Skerrifest04\"", changedShare(402, 434));
  } else {
    std::fprintf(stderr, "scene_check: unknown scene %s\n", scene.c_str());
    return 2;
  }
  return failures == 0 ? 0 : 1;
}
