// Star-shaped glints added on top of a picture.
#pragma once

#include "canvas.h"

namespace mkmedia {

// Adds a four-pointed glint centred at (x, y) with arms `size` pixels long.
void addGlint(Canvas& canvas, float x, float y, float size, Vec3 colour);

// Finds up to `count` of the brightest pixels at least `spacing` apart and
// puts a glint on each; brightness must exceed `threshold`.
void glintBrightest(Canvas& canvas, int count, float spacing, float threshold, float size);

}  // namespace mkmedia
