// The show played on faked time: the same resources, font, scene script and
// frame clock as the live show, with the clock set to exact frame times and
// the instrument counters set from the offline soundtrack.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <vector>

#include "app/show_engine.h"
#include "music/trigger_timeline.h"
#include "script/scene_marks.h"

class DataController;
class Font;

inline constexpr double kReplayClockOrigin = kShowClockOrigin;

class ShowReplay {
 public:
  // Loads the show from the current directory; `loadDelay` is the show time
  // that passes before the music starts. Errors in the resources end the
  // process with their message, as in the live show.
  explicit ShowReplay(double loadDelay);
  ~ShowReplay();

  // Draws the frame at `showTime` seconds into Screen::pixels as the first
  // frame of a capture: the frames of `rate` before it are replayed unseen.
  void seek(double showTime, const HistoryRate& rate);

  // Draws the frame at `showTime` seconds into Screen::pixels. Frames must
  // come in increasing time: the scene keeps state from frame to frame.
  void renderFrame(double showTime);

  // False when the module did not load: the show then runs silent, as live.
  bool hasMusic() const { return timeline_.loaded; }

  // The scene changes in show time, as the rehearsal and the web page's time bar name them.
  std::vector<SceneMark> marks() const { return sceneMarks(timeline_, loadDelay_); }

  // Stereo samples of show time [from, to), silence where no music plays.
  std::vector<int16_t> audio(double from, double to) const;

 private:
  double loadDelay_;
  std::unique_ptr<DataController> data_;
  std::unique_ptr<Font> font_;
  TriggerTimeline timeline_;
  std::vector<int16_t> music_;  // interleaved stereo, the module played once
  std::unique_ptr<ShowEngine> engine_;
};
