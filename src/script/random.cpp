#include "script/random.h"

namespace {
uint32_t randomState = 1;
}

int32_t showRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int32_t>((randomState >> 16) & 0x7FFFu);
}

void resetShowRandom() { randomState = 1; }
