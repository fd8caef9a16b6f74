#include "generated_show.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/frame_clock.h"
#include "music/instrument_counters.h"
#include "render/blits.h"
#include "render/screen.h"
#include "script/random.h"
#include "script/scene.h"

namespace generatedshow {
namespace {

constexpr double kOrigin = 1024.0;

// Every piece of process-wide state, put back field by field rather than by
// the engine's own reset, so that a reset that forgets one shows.
void freshState(DataController& data) {
  instrument1Hits = 0;
  instrument4Hits = 0;
  scrollOffsetX = scrollOffsetY = 0.0f;
  typewriterAccumulator = 0.0;
  typewriterRevealed = 3;
  shownPictureIndex = 7;
  resetShowRandom();
  for (auto& animation : data.animations) {
    animation->position = 0.0f;
    animation->frameRate = 2.0f;
  }
}

class History {
 public:
  History() : clock_(kOrigin) { freshState(*show().data); }
  void draw(double t) {
    Show& s = show();
    clock_.update(kOrigin + t);
    instrument1Hits = s.timeline.hitsUpTo(1, t);
    instrument4Hits = s.timeline.hitsUpTo(4, t);
    runScene(*s.data, clock_, *s.font);
  }

 private:
  FrameClock clock_;
};

}  // namespace

Show& show() {
  static Show loaded = [] {
    const std::filesystem::path before = std::filesystem::current_path();
    if (chdir(PIXELFOLK_SHOW_DIR) != 0) {
      ADD_FAILURE() << "no show in " << PIXELFOLK_SHOW_DIR;
      std::abort();
    }
    Show s;
    s.data = std::make_unique<DataController>("resinfo.rli");
    s.font = std::make_unique<Font>(16, 8, 32, 32, s.data->getPicture(0));
    s.timeline = scanTriggerTimelineFile("demo.xm", 44100, &s.samples);
    std::filesystem::current_path(before);
    return s;
  }();
  return loaded;
}

double gridTime(long k) { return static_cast<double>(k) / 60.0; }

Frame current() {
  Frame f;
  f.pixels.assign(Screen::pixels, Screen::pixels + Screen::pixelCount);
  f.hits1 = instrument1Hits.load();
  f.hits4 = instrument4Hits.load();
  f.middlePicture = shownPictureIndex;
  return f;
}

std::map<long, Frame> historyFrames(const std::vector<long>& wanted) {
  std::map<long, Frame> frames;
  History history;
  const long last = *std::max_element(wanted.begin(), wanted.end());
  for (long k = 0; k <= last; ++k) {
    history.draw(gridTime(k));
    if (std::find(wanted.begin(), wanted.end(), k) != wanted.end()) frames[k] = current();
  }
  return frames;
}

Frame frameAt(double showTime) {
  History history;
  for (long k = 0; gridTime(k) < showTime; ++k) history.draw(gridTime(k));
  history.draw(showTime);
  return current();
}

}  // namespace generatedshow
