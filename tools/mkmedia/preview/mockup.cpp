// mkmedia_mockup SHOW_DIR OUT_DIR: composes stills of every scene from the
// generated files the way the show lays them out (centred pictures, colour
// key at 20, font stencil at 50), as PNG files for checking the layout by eye.
#include <cstdio>
#include <string>
#include <vector>

#include "jpeg_reader.h"
#include "png_file.h"

namespace {

using mkmedia::DecodedImage;

constexpr int kWidth = 640, kHeight = 480;

struct Frame {
  std::vector<uint8_t> rgb = std::vector<uint8_t>(size_t(kWidth * kHeight * 3), 0);
  void set(int x, int y, const uint8_t* c) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
    uint8_t* p = &rgb[(size_t(y) * kWidth + size_t(x)) * 3];
    p[0] = c[0], p[1] = c[1], p[2] = c[2];
  }
};

bool keyed(const uint8_t* key) { return key[0] < 20 && key[1] < 20 && key[2] < 20; }

void drawCentred(Frame& frame, const DecodedImage& picture, const DecodedImage* mask, int cx, int cy, bool useKey) {
  int left = cx - picture.width / 2, top = cy - picture.height / 2;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const uint8_t* key = mask ? mask->at(x, y) : picture.at(x, y);
      if (useKey && keyed(key)) continue;
      frame.set(left + x, top + y, picture.at(x, y));
    }
  }
}

void drawScrolled(Frame& frame, const DecodedImage& picture, int ox, int oy) {
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      frame.set(((x + ox) % kWidth + kWidth) % kWidth, ((y + oy) % kHeight + kHeight) % kHeight, picture.at(x, y));
    }
  }
}

void drawText(Frame& frame, const DecodedImage& font, int x, int y, uint32_t colour, const std::string& text) {
  const uint8_t c[3] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
  for (size_t i = 0; i < text.size(); ++i) {
    if (x + int(i + 1) * 32 >= kWidth) continue;
    int glyph = int(static_cast<unsigned char>(text[i])) - 32;
    if (glyph < 0 || glyph >= 128) continue;
    for (int j = 0; j < 32; ++j) {
      for (int k = 0; k < 32; ++k) {
        const uint8_t* g = font.at((glyph % 16) * 32 + k, (glyph / 16) * 32 + j);
        if (g[0] >= 50 || g[1] >= 50 || g[2] >= 50) frame.set(x + int(i) * 32 + k, y + j, c);
      }
    }
  }
}

bool load(const std::string& path, DecodedImage& image) {
  if (mkmedia::readJpeg(path, image) && image.components == 3) return true;
  std::fprintf(stderr, "mkmedia_mockup: cannot read %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mkmedia_mockup SHOW_DIR OUT_DIR\n");
    return 2;
  }
  const std::string show = argv[1], out = std::string(argv[2]) + "/";
  auto picture = [&](const std::string& name, DecodedImage& image) {
    return load(show + "/data/jpgs/" + name + ".jpg", image);
  };
  auto frameOf = [&](const std::string& name, int number, DecodedImage& image) {
    return load(show + "/data/animations/" + name + "/" + name + " " + std::to_string(number) + ".jpg", image);
  };
  auto save = [&](const std::string& name, const Frame& frame) {
    if (!mkmedia::writePng(out + name + ".png", kWidth, kHeight, frame.rgb.data())) {
      std::fprintf(stderr, "mkmedia_mockup: cannot write %s%s.png\n", out.c_str(), name.c_str());
    }
  };

  DecodedImage font, backdrop, lower, lowerMask, upper, upperMask;
  if (!picture("font", font) || !picture("backdrop", backdrop) || !picture("dancefloor", lower) ||
      !picture("dancefloormask", lowerMask) || !picture("logo", upper) || !picture("logomask", upperMask)) {
    return 1;
  }
  const char* middles[] = {"discoball", "torus",   "mandelbrot", "julia",     "sun",        "ringplanet",
                           "galaxy",    "crystal", "heart",      "glenzcube", "pixeldancer"};
  int index = 0;
  for (const char* name : middles) {
    DecodedImage middle;
    if (!picture(name, middle)) return 1;
    Frame frame;
    if (backdrop.width == kWidth && backdrop.height == kHeight) drawScrolled(frame, backdrop, -97 * index, 53 * index);
    drawCentred(frame, lower, &lowerMask, 320, 400, true);
    drawCentred(frame, upper, &upperMask, 320, 80, true);
    drawCentred(frame, middle, nullptr, 320, 240, true);
    save(std::string("opening_") + name, frame);
    ++index;
  }

  for (int number : {1, 11, 21}) {
    DecodedImage title;
    if (!frameOf("title", number, title)) return 1;
    Frame frame;
    drawCentred(frame, title, nullptr, 320, 240, false);
    drawText(frame, font, 0, 352, 0xff0000, "Pixelfolk enjoy");
    drawText(frame, font, 128, 384, 0x3ad2a0, "dance");
    save("title_" + std::to_string(number), frame);
  }

  const char* greets[] = {"-Tallowmen", "-Brackwood", "-Ombrel", "-Quillfen", "-Harrowcat", "-Vellumark", "   Crew"};
  const int greetRows[] = {96, 128, 160, 196, 228, 260, 292};
  for (int number : {1, 33, 60}) {
    DecodedImage still;
    if (!frameOf("greets", number, still)) return 1;
    Frame frame;
    drawCentred(frame, still, nullptr, 320, 240, false);
    drawText(frame, font, 128, 64, 0x7fd35a, "Greets:");
    for (int i = 0; i < 7; ++i) drawText(frame, font, 128, greetRows[i], 0x0000ff, greets[i]);
    save("greets_" + std::to_string(number), frame);
  }

  DecodedImage closing;
  if (!frameOf("greets", 60, closing)) return 1;
  Frame frame;
  drawCentred(frame, closing, nullptr, 320, 240, false);
  drawText(frame, font, 0, 240, 0xff0000, "Code & music: Quelm");
  drawText(frame, font, 0, 340, 0xff0000, "GFX: Vastel");
  drawText(frame, font, 0, 370, 0xe3b14f, "Made in a hurry");
  drawText(frame, font, 0, 402, 0x5fe8c4, "at Skerrifest04");
  save("closing", frame);
  return 0;
}
