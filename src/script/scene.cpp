#include "script/scene.h"

#include "app/frame_clock.h"
#include "render/font.h"
#include "render/screen.h"
#include "render/show_state.h"
#include "resources/animation.h"
#include "resources/data_controller.h"
#include "resources/picture.h"
#include "script/middle_picture.h"
#include "script/random.h"
#include "script/scene_counts.h"

void (*beforeCounterRead)() = nullptr;
void (*beforeInstrument4Read)() = nullptr;

namespace {

// The counts of the frame's music time (app/transport.h).
int32_t readHits1() {
  if (beforeCounterRead != nullptr) beforeCounterRead();
  return showState.instrument1Hits;
}

int32_t readHits4() {
  if (beforeInstrument4Read != nullptr) beforeInstrument4Read();
  return showState.instrument4Hits;
}

struct Frame {
  DataController& data;
  const Font& font;
  double delta;
};

void type(const Frame& f, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, const char* text) {
  typeText(f.font, 10.0 * f.delta, Screen::pixels, x, y, r, g, b, "%s", text);
}

void playAnimation(const Frame& f, int32_t index) {
  Animation* animation = f.data.getAnimation(index);
  if (animation == nullptr) return;
  animation->setRate(10);
  animation->play(320, 240, f.delta);
}

// Starts from a black frame, as every scene does, unless the background
// fills every pixel anyway: clearing first would only be drawn over.
void drawOpening(const Frame& f) {
  bool filled = false;
  if (readHits1() < kBackgroundGone) {
    if (Picture* background = f.data.getPicture(1)) {
      filled = background->drawScrolling(-1.0f, 0.56f, static_cast<float>(f.delta * 128.0));
    }
  }
  if (!filled) Screen::clear(0, 0, 0);
  const struct { int32_t sprite, mask, y; } sprites[] = {{2, 3, 400}, {4, 5, 80}};
  for (const auto& s : sprites) {
    Picture* sprite = f.data.getPicture(s.sprite);
    if (sprite == nullptr) continue;
    Picture* mask = f.data.getPicture(s.mask);
    sprite->drawKeyed(320, s.y, mask != nullptr ? mask->image.get() : nullptr);
  }
  int32_t& shownPictureIndex = showState.shownPictureIndex;
  shownPictureIndex = middlePictureAfter(readHits1(), shownPictureIndex);
  if (Picture* middle = f.data.getPicture(shownPictureIndex)) middle->drawKeyed(320, 240, nullptr);
}

void drawTitle(const Frame& f) {
  playAnimation(f, 0);
  type(f, 0, 352, 255, 0, 0, "Pixelfolk enjoy");
  const int32_t r1 = showRandom();
  const int32_t r2 = showRandom();
  const int32_t r3 = showRandom();
  type(f, 128, 384, r3 % 255, r2 % 255, r1 % 255, "dance");
}

void drawGreetings(const Frame& f) {
  playAnimation(f, 1);
  const int32_t r1 = showRandom();
  const int32_t r2 = showRandom();
  const int32_t r3 = showRandom();
  // Unreduced random channels spill into their neighbours: a flickering colour.
  type(f, 128, 64, r3, r2, r1, "Greets:");
  const struct {
    const char* text;
    int32_t y;
  } lines[] = {{"-Tallowmen", 96},  {"-Brackwood", 128}, {"-Ombrel", 160}, {"-Quillfen", 196},
               {"-Harrowcat", 228}, {"-Vellumark", 260}, {"   Crew", 292}};
  for (const auto& line : lines) type(f, 128, line.y, 0, 0, 255, line.text);
}

void drawClosing(const Frame& f, double elapsed) {
  if (Picture* still = f.data.getAnimationFrame(1, 59)) still->drawOpaque(320, 240);
  if (readHits4() > kFirstCredit) type(f, 0, 240, 255, 0, 0, "Code & music: Quelm");
  if (readHits4() > kSecondCredit) type(f, 0, 340, 255, 0, 0, "GFX: Vastel");
  if (elapsed > kClosingLinesAfter) {
    const int32_t r1 = showRandom();
    const int32_t r2 = showRandom();
    const int32_t r3 = showRandom();
    type(f, 0, 370, r3, r2, r1, "Made in a hurry");
    const int32_t r4 = showRandom();
    const int32_t r5 = showRandom();
    const int32_t r6 = showRandom();
    type(f, 0, 402, r6, r5, r4, "at Skerrifest04");
  }
}

// Whether the first drawing of the scene for count h (title or later) covers
// the framebuffer, leaving nothing for a clear to do.
bool sceneStartsWithFullPicture(const Frame& f, int32_t h) {
  if (h < kClosingStart) {
    const Animation* animation = f.data.getAnimation(h < kGreetingsStart ? 0 : 1);
    return animation != nullptr && animation->everyFrameCoversScreen(320, 240);
  }
  const Picture* still = f.data.getAnimationFrame(1, 59);
  return still != nullptr && still->coversScreen(320, 240);
}

}  // namespace

void runScene(DataController& data, const FrameClock& clock, const Font& font) {
  const Frame f{data, font, clock.frameDelta};

  // A frame in which the count crosses a threshold draws the earlier scene and
  // then the later one over it.
  int32_t h = readHits1();
  if (h < kTitleStart) {
    drawOpening(f);
    h = readHits1();
  } else if (!sceneStartsWithFullPicture(f, h)) {
    Screen::clear(0, 0, 0);
  }
  if (h >= kTitleStart && h < kGreetingsStart) {
    drawTitle(f);
    h = readHits1();
  }
  if (h >= kGreetingsStart && h < kClosingStart) {
    drawGreetings(f);
    h = readHits1();
  }
  if (h >= kClosingStart) drawClosing(f, clock.currentTime - clock.startTime);
}
