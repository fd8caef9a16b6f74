#include "show_world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "render/screen.h"
#include "render/show_state.h"
#include "script/scene.h"

namespace showworld {

namespace {

std::unique_ptr<Image> solidImage(int width, int height, uint32_t colour) {
  auto image = std::make_unique<Image>();
  image->width = width;
  image->height = height;
  image->rowStride = width * 3;
  image->pixels.resize(static_cast<size_t>(image->rowStride) * height);
  for (size_t i = 0; i < image->pixels.size(); i += 3) {
    image->pixels[i] = static_cast<uint8_t>(colour >> 16);
    image->pixels[i + 1] = static_cast<uint8_t>(colour >> 8);
    image->pixels[i + 2] = static_cast<uint8_t>(colour);
  }
  return image;
}

std::unique_ptr<Picture> pictureOf(std::unique_ptr<Image> image) {
  auto picture = std::make_unique<Picture>();
  picture->image = std::move(image);
  return picture;
}

std::unique_ptr<DataController> emptyController() {
  const std::string path = testing::TempDir() + "/empty.rli";
  if (FILE* f = std::fopen(path.c_str(), "w")) std::fclose(f);
  return std::make_unique<DataController>(path.c_str());
}

std::unique_ptr<Animation> animationOf(int index, int frames) {
  auto animation = std::make_unique<Animation>("none/none.jpg", 0, index);
  animation->frameCount = frames;
  animation->frames = std::make_unique<Picture[]>(frames);
  for (int k = 0; k < frames; ++k)
    animation->frames[k].image = solidImage(kFrameWidth, kFrameHeight, frameColour(index, k));
  return animation;
}

}  // namespace

uint32_t backgroundColour(int x, int y) {
  // Keeps every channel at 20 or more, and tells every pixel apart.
  return (static_cast<uint32_t>(20 + x % 200) << 16) | (static_cast<uint32_t>(20 + y % 200) << 8) |
         static_cast<uint32_t>(20 + (x / 200) * 16 + (y / 200));
}

uint32_t middleColour(int picture) { return 0x00C00000u | static_cast<uint32_t>(picture * 10) << 8 | 0x40u; }

uint32_t frameColour(int animation, int frame) {
  return 0x00400000u | static_cast<uint32_t>(animation * 100 + 30) << 8 | static_cast<uint32_t>(frame + 30);
}

World makeWorld(bool empty) {
  showState = ShowState{};
  beforeCounterRead = nullptr;
  beforeInstrument4Read = nullptr;
  Screen::clear(0, 0, 0);

  World world;
  world.data = emptyController();
  Picture fontSheet;
  if (!empty) {
    // Every glyph a solid block but the blank's (cell 0, top left).
    fontSheet.image = solidImage(512, 256, 0x00FFFFFF);
    for (int y = 0; y < 32; ++y) std::fill_n(&fontSheet.image->pixels[static_cast<size_t>(y) * 512 * 3], 32 * 3, 0);
    DataController& d = *world.data;
    d.pictures.push_back(std::make_unique<Picture>());  // the font sheet's place
    auto background = std::make_unique<Image>(*solidImage(640, 480, 0));
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        const uint32_t c = backgroundColour(x, y);
        uint8_t* p = &background->pixels[(static_cast<size_t>(y) * 640 + x) * 3];
        p[0] = static_cast<uint8_t>(c >> 16);
        p[1] = static_cast<uint8_t>(c >> 8);
        p[2] = static_cast<uint8_t>(c);
      }
    }
    d.pictures.push_back(pictureOf(std::move(background)));
    d.pictures.push_back(pictureOf(solidImage(kSpriteWidth, kSpriteHeight, kLowerSprite)));
    d.pictures.push_back(pictureOf(solidImage(kSpriteWidth, kSpriteHeight, 0x00FFFFFF)));
    d.pictures.push_back(pictureOf(solidImage(kSpriteWidth, kSpriteHeight, kUpperSprite)));
    d.pictures.push_back(pictureOf(solidImage(kSpriteWidth, kSpriteHeight, 0x00FFFFFF)));
    for (int i = 6; i <= 16; ++i)
      d.pictures.push_back(pictureOf(solidImage(kMiddleSize, kMiddleSize, middleColour(i))));
    d.animations.push_back(animationOf(0, 32));
    d.animations.push_back(animationOf(1, 64));
  }
  testing::internal::CaptureStderr();  // an empty world's font reports its missing picture
  world.font = std::make_unique<Font>(16, 8, 32, 32, empty ? nullptr : &fontSheet);
  testing::internal::GetCapturedStderr();
  return world;
}

uint32_t pixel(int x, int y) { return Screen::pixels[y * 640 + x]; }

void resizeFrames(World& world, int animation, int width, int height, int frame) {
  Animation& a = *world.data->animations[static_cast<size_t>(animation)];
  for (int k = 0; k < a.frameCount; ++k) {
    if (frame < 0 || k == frame) a.frames[k].image = solidImage(width, height, frameColour(animation, k));
  }
}

}  // namespace showworld
