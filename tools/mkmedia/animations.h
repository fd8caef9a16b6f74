// The two animations. Each is a picture of a loop position from 0 to 1 in
// which every motion runs a whole number of cycles, so position 1 shows
// position 0 again; frame k of n is position k / n (k taken modulo n).
#pragma once

#include "canvas.h"

namespace mkmedia {

// Title: a neon tunnel with three pixel folk dancing in front; shown above the
// typed title, so it stays 220 rows high.
inline constexpr int kTitleFrames = 32;
inline constexpr int kTitleWidth = 480;
inline constexpr int kTitleHeight = 220;
Canvas renderTitleAt(float loop);
Canvas renderTitleFrame(int frame);

// Greetings: a synthwave dusk, full screen, dark where the names are typed.
// Frame 59 is also the closing still.
inline constexpr int kGreetsFrames = 64;
inline constexpr int kGreetsWidth = 640;
inline constexpr int kGreetsHeight = 480;
Canvas renderGreetsAt(float loop);
Canvas renderGreetsFrame(int frame);

}  // namespace mkmedia
