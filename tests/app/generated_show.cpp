#include "generated_show.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/frame_clock.h"
#include "music/trigger_index.h"
#include "render/screen.h"
#include "render/show_state.h"
#include "script/scene.h"

namespace generatedshow {
namespace {

constexpr double kOrigin = 1024.0;

// The show's state as its first frame finds it: the one value the engine's
// seeks put back too (render/show_state.h), on a fresh clock of the
// reference's own, with the counts straight from the note index.
class History {
 public:
  History() : clock_(kOrigin), notes_(show().timeline) { resetShowState(*show().data); }
  void draw(double t) {
    Show& s = show();
    clock_.update(kOrigin + t);
    const NoteCounts counts = notes_.countsAt(t);
    showState.instrument1Hits = counts.instrument1;
    showState.instrument4Hits = counts.instrument4;
    runScene(*s.data, clock_, *s.font);
  }

 private:
  FrameClock clock_;
  TriggerIndex notes_;
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
  f.hits1 = showState.instrument1Hits;
  f.hits4 = showState.instrument4Hits;
  f.middlePicture = showState.shownPictureIndex;
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
