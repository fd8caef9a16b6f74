// The eleven pictures shown in turn in the middle of the opening scene. They
// are colour-keyed against black: the ground is exactly 0 and every pixel of
// a motif has some channel well above the key.
#pragma once

#include "canvas.h"

namespace mkmedia {

inline constexpr int kMiddleWidth = 300;
inline constexpr int kMiddleHeight = 220;

Canvas makeDiscoBall();    // a mirror ball catching coloured spotlights
Canvas makeTorus();        // a glossy iridescent ring torus
Canvas makeMandelbrot();   // the Mandelbrot set in neon blue
Canvas makeJulia();        // a spiral Julia set in violet and white
Canvas makeSun();          // a star with granulation, corona and flare
Canvas makeRingPlanet();   // a banded planet with rings and a moon
Canvas makeGalaxy();       // a tilted two-armed spiral galaxy
Canvas makeCrystal();      // a brilliant-cut gem with coloured fire
Canvas makeHeart();        // a glossy ruby heart
Canvas makeGlenzCube();    // a translucent checkered vector cube
Canvas makePixelDancer();  // three pixel folk dancing under notes

}  // namespace mkmedia
