#include "script/show_state.h"

#include "music/instrument_counters.h"
#include "render/blits.h"
#include "render/font.h"
#include "resources/data_controller.h"
#include "script/middle_picture.h"
#include "script/random.h"
#include "script/scene.h"

void resetShowState(DataController& data) {
  instrument1Hits.store(0, std::memory_order_relaxed);
  instrument4Hits.store(0, std::memory_order_relaxed);
  scrollOffsetX = 0.0f;
  scrollOffsetY = 0.0f;
  typewriterAccumulator = 0.0;
  typewriterRevealed = 3;
  resetShowRandom();
  shownPictureIndex = kInitialMiddlePicture;
  const Animation fresh(nullptr, 0, 0);
  for (const auto& animation : data.animations) {
    animation->position = fresh.position;
    animation->frameRate = fresh.frameRate;
  }
}
