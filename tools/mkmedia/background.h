// The scrolling background: 640 x 480, seamless when it wraps at its edges.
#pragma once

#include "canvas.h"

namespace mkmedia {

inline constexpr int kBackdropWidth = 640;
inline constexpr int kBackdropHeight = 480;

Canvas makeBackdrop();

}  // namespace mkmedia
