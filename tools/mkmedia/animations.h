// The two animations: frames are rendered one by one from their number and
// loop seamlessly (the frame after the last equals the first).
#pragma once

#include "canvas.h"

namespace mkmedia {

// Title: a neon tunnel with three pixel folk dancing in front; shown above the
// typed title, so it stays 220 rows high.
inline constexpr int kTitleFrames = 32;
inline constexpr int kTitleWidth = 480;
inline constexpr int kTitleHeight = 220;
Canvas renderTitleFrame(int frame);

// Greetings: a synthwave dusk, full screen, dark where the names are typed.
// Frame 59 is also the closing still.
inline constexpr int kGreetsFrames = 64;
inline constexpr int kGreetsWidth = 640;
inline constexpr int kGreetsHeight = 480;
Canvas renderGreetsFrame(int frame);

}  // namespace mkmedia
