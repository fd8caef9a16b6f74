#include "script/random.h"

#include "render/show_state.h"

int32_t showRandom() {
  uint32_t& randomState = showState.randomState;
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int32_t>((randomState >> 16) & 0x7FFFu);
}

void resetShowRandom() { showState.randomState = ShowState{}.randomState; }
