#include "render/show_state.h"

#include "resources/animation.h"
#include "resources/data_controller.h"

ShowState showState;

void resetShowState(DataController& data) {
  showState = ShowState{};
  for (const auto& animation : data.animations) animation->rewind();
}
