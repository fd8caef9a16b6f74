// The two masked sprites of the opening scene: a chrome logo above and a
// disco dance floor below. Each mask is white where its sprite shows.
#pragma once

#include "canvas.h"

namespace mkmedia {

struct MaskedSprite {
  Canvas sprite;
  Canvas mask;  // same size as sprite, only 0 and 255
};

MaskedSprite makeLogo();        // "PIXELFOLK", shown centred at (320, 80)
MaskedSprite makeDanceFloor();  // shown centred at (320, 400)

}  // namespace mkmedia
