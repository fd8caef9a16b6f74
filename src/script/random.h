// The show's own random numbers: values 0 ... 32767 in a fixed sequence, the
// same on every run and every platform (the classic linear congruential step
// state * 214013 + 2531011 mod 2^32, value = bits 16..30), started from
// state 1 and never seeded from the clock.
#pragma once

#include <cstdint>

inline constexpr int32_t kRandomMax = 32767;

int32_t showRandom();

// Puts the sequence back to its start; only tests and the capture tool need it.
void resetShowRandom();
