// A seek must land on exactly the frame a run from the start draws at that
// time, whatever was shown before it: every piece of frame-to-frame state is
// reset and replayed, none is skipped with the pixels.
#include "app/show_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "generated_show.h"
#include "render/pixel_work.h"
#include "render/screen.h"
#include "script/scene_counts.h"
#include "script/scene_marks.h"

namespace {

using generatedshow::Frame;
using generatedshow::gridTime;

int differingPixels(const Frame& a, const Frame& b) {
  int differing = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) differing += a.pixels[i] != b.pixels[i];
  return differing;
}

void expectSameFrame(const Frame& seen, const Frame& expected, const std::string& what) {
  EXPECT_EQ(differingPixels(seen, expected), 0) << what;
  EXPECT_EQ(seen.hits1, expected.hits1) << what;
  EXPECT_EQ(seen.hits4, expected.hits4) << what;
  EXPECT_EQ(seen.middlePicture, expected.middlePicture) << what;
}

// The 60-fps frames just before and just after a moment.
long firstFrameFrom(double t) { return static_cast<long>(std::ceil(t * 60.0 - 1e-9)); }

TEST(ShowEngine, SeeksInAnyOrderGiveTheFramesOfOneRunFromTheStart) {
  generatedshow::Show& show = generatedshow::show();
  ASSERT_TRUE(show.timeline.loaded);
  struct Moment {
    std::string what;
    long frame;
  };
  // Inside each scene, and on either side of every count mark.
  std::vector<Moment> moments = {{"first frame", 0},     {"opening", 20 * 60}, {"title", 45 * 60},
                                 {"greetings", 60 * 60}, {"closing", 90 * 60}, {"the end", 96 * 60}};
  const std::vector<SceneMark> marks = sceneMarks(show.timeline);
  ASSERT_EQ(marks.size(), 8u);
  for (const SceneMark& mark : marks) {
    if (mark.showTime <= 0.0) continue;
    const long after = firstFrameFrom(mark.showTime);
    moments.push_back({std::string("before ") + mark.name, after - 1});
    moments.push_back({std::string("at ") + mark.name, after});
  }
  std::vector<long> wanted;
  for (const Moment& m : moments) wanted.push_back(m.frame);
  const std::map<long, Frame> history = generatedshow::historyFrames(wanted);

  // Each mark is the first frame time at which its change is drawn: the
  // frame before it lacks the change, the frame at it has it.
  const struct {
    const char* mark;
    std::function<bool(const Frame&, double showTime)> drawn;
  } changes[] = {
      {"background gone", [](const Frame& f, double) { return f.hits1 >= kBackgroundGone; }},
      {"title", [](const Frame& f, double) { return f.hits1 >= kTitleStart; }},
      {"greetings", [](const Frame& f, double) { return f.hits1 >= kGreetingsStart; }},
      {"closing", [](const Frame& f, double) { return f.hits1 >= kClosingStart; }},
      {"first credit", [](const Frame& f, double) { return f.hits4 > kFirstCredit; }},
      {"second credit", [](const Frame& f, double) { return f.hits4 > kSecondCredit; }},
      {"closing lines", [](const Frame&, double t) { return t > kClosingLinesAfter; }},
  };
  for (const auto& change : changes) {
    const auto mark = std::find_if(marks.begin(), marks.end(),
                                   [&](const SceneMark& m) { return std::string(m.name) == change.mark; });
    ASSERT_NE(mark, marks.end()) << change.mark;
    const long after = firstFrameFrom(mark->showTime);
    EXPECT_FALSE(change.drawn(history.at(after - 1), gridTime(after - 1))) << "before " << change.mark;
    EXPECT_TRUE(change.drawn(history.at(after), gridTime(after))) << "at " << change.mark;
  }

  // Backwards and forwards, each seek from wherever the last one left the show.
  std::shuffle(moments.begin(), moments.end(), std::mt19937(2004));
  ShowEngine engine(*show.data, *show.font, show.timeline);
  for (const Moment& m : moments) {
    engine.seek(gridTime(m.frame));
    expectSameFrame(generatedshow::current(), history.at(m.frame), m.what);
    EXPECT_EQ(engine.showTime(), gridTime(m.frame)) << m.what;
  }
}

// A time between two 60-fps frames: the history's frames before it, then
// that time; the step of the last frame is shorter than 1/60 s.
TEST(ShowEngine, SeekBetweenTwoFramesOfTheHistory) {
  generatedshow::Show& show = generatedshow::show();
  const double title = show.timeline.timeOfHit(1, 800) + 0.0123;
  ShowEngine engine(*show.data, *show.font, show.timeline);
  engine.seek(90.0);
  engine.seek(title);
  expectSameFrame(generatedshow::current(), generatedshow::frameAt(title), "in the title");
}

// Going on from a seek is going on with the same history.
TEST(ShowEngine, FramesAfterASeekContinueItsHistory) {
  generatedshow::Show& show = generatedshow::show();
  const long first = 41 * 60;
  const std::map<long, Frame> history = generatedshow::historyFrames({first + 1, first + 30});
  ShowEngine engine(*show.data, *show.font, show.timeline);
  engine.seek(gridTime(first));
  for (long k = first + 1; k <= first + 30; ++k) {
    engine.drawFrame(gridTime(k));
    if (history.count(k) != 0) expectSameFrame(generatedshow::current(), history.at(k), std::to_string(k));
  }
}

// The replay leaves the pixels alone; only the frame sought is drawn.
TEST(ShowEngine, PixelWorkIsSkippedOnlyInsideTheReplay) {
  generatedshow::Show& show = generatedshow::show();
  ShowEngine engine(*show.data, *show.font, show.timeline);
  std::fill_n(Screen::pixels, Screen::pixelCount, 0x00123456u);
  {
    const pixelwork::Skipped skipped;
    engine.drawFrame(1.0);
    EXPECT_EQ(std::count(Screen::pixels, Screen::pixels + Screen::pixelCount, 0x00123456u), Screen::pixelCount);
    EXPECT_FALSE(pixelwork::enabled());
  }
  EXPECT_TRUE(pixelwork::enabled());
  engine.seek(30.0);
  EXPECT_TRUE(pixelwork::enabled());
  EXPECT_LT(std::count(Screen::pixels, Screen::pixels + Screen::pixelCount, 0x00123456u), Screen::pixelCount / 2);
}

}  // namespace
