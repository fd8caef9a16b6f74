// Opening SDL's sound on one driver at a time, without SDL's subsystem count:
// the output starts, stops and starts again the driver it plays on when its
// server goes away.
#pragma once

#include <SDL.h>

#include <cstddef>

namespace platform {

// Starts `driver` and opens its default device for `wanted` (no changes
// allowed: SDL converts to whatever the hardware needs). On failure the
// driver is down again and `reason` says "driver: why".
SDL_AudioDeviceID openOnDriver(const char* driver, const SDL_AudioSpec& wanted, char* reason, size_t reasonSize);

// The driver the user asked for (SDL_AUDIODRIVER, or the hint that mutes the
// show), or else each driver SDL has in its own order but those that only play
// when asked for (dummy, disk), until one opens. When none does, `reason`
// names every failure in the order tried ("pulseaudio: ...; alsa: ..."): the
// first is the one the user's system prefers, not the last one that gave up.
SDL_AudioDeviceID openPreferredDevice(const SDL_AudioSpec& wanted, char* reason, size_t reasonSize);

}  // namespace platform
