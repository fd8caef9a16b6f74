// Finishing touches shared by the pictures that are colour-keyed on black.
#pragma once

#include "canvas.h"

namespace mkmedia {

// Brightness (largest channel) below which a keyed pixel vanishes, with
// headroom for compression: the key drops channels below 20 of 255.
inline constexpr float kKeyFloor = 0.14f;

// Raises a colour that belongs to the motif so that its brightest channel is
// at least kKeyFloor, keeping its hue; pure black becomes a dark grey-blue.
Vec3 keepVisible(Vec3 colour);

// A glow over black, dropped entirely where it is dimmer than `cut`: keyed
// onto a busy background, a glow fading out toward black would stand as a
// dim, murky halo; ending it at a visible level leaves a clean, bright edge.
Vec3 glowOrNothing(Vec3 colour, float cut);

// Zeroes a frame of `border` pixels and every pixel whose brightest channel
// is at most `tail`: the ground is exactly 0.
void finishKeyed(Canvas& canvas, float tail = 0.02f, int border = 3);

}  // namespace mkmedia
