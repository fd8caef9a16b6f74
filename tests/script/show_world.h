// An in-memory show for scene tests: every picture and animation of the
// resource table, made of flat colours that tell at a glance what was drawn.
#pragma once

#include <cstdint>
#include <memory>

#include "render/font.h"
#include "resources/data_controller.h"

namespace showworld {

// Colours by which a drawn pixel names its source.
uint32_t backgroundColour(int x, int y);  // picture 1: unique per pixel
inline constexpr uint32_t kLowerSprite = 0x00305070;
inline constexpr uint32_t kUpperSprite = 0x00703050;
uint32_t middleColour(int picture);  // pictures 6 .. 16
uint32_t frameColour(int animation, int frame);

// Middle pictures and sprites are small so that plenty of background shows.
inline constexpr int kMiddleSize = 20;
inline constexpr int kSpriteWidth = 40;
inline constexpr int kSpriteHeight = 20;
// Animation frames cover x 120 .. 519 and y 90 .. 389 when centred.
inline constexpr int kFrameWidth = 400;
inline constexpr int kFrameHeight = 300;

struct World {
  std::unique_ptr<DataController> data;
  std::unique_ptr<Font> font;  // every glyph but the blank a solid 32 x 32 block
};

// Builds the full world (or, with `empty`, a controller with no resources and
// a font without glyphs) and resets every piece of process-wide show state.
World makeWorld(bool empty = false);

uint32_t pixel(int x, int y);

// Gives frame `frame` of animation `animation` (every frame with -1) the size
// width x height, in its own colour.
void resizeFrames(World& world, int animation, int width, int height, int frame = -1);

}  // namespace showworld
