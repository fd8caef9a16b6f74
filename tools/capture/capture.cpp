#include "capture.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "app/media_location.h"
#include "app/show_loop.h"
#include "app/show_startup.h"
#include "frame_sinks.h"
#include "platform/executable_path.h"
#include "platform/platform.h"
#include "progress_line.h"
#include "render/screen.h"
#include "show_replay.h"

namespace fs = std::filesystem;

namespace {

// Which frames are drawn and which are written. Every frame from the first is
// run, written or not, because the scene carries state from frame to frame;
// those before the first written one without pixels.
struct FramePlan {
  long drawUpTo = 0;      // frames 0 .. drawUpTo are drawn
  long firstWritten = 0;  // frames firstWritten .. drawUpTo are written
  double singleAt = -1;   // with --frame-at: the last frame is drawn at this time
};

FramePlan planFrames(const CaptureOptions& o) {
  FramePlan plan;
  if (o.frameAt) {
    long k = 0;
    while (frameTime(k, o.fps) < *o.frameAt) ++k;
    plan.drawUpTo = plan.firstWritten = k;
    plan.singleAt = *o.frameAt;
    return plan;
  }
  // As in the live show: the last frame is the first one more than the show's
  // length after the start.
  long last = 0;
  while (!(frameTime(last, o.fps) > kShowLength)) ++last;
  if (o.to) {
    while (last > 0 && frameTime(last, o.fps) > *o.to) --last;
  }
  long first = 0;
  while (first <= last && frameTime(first, o.fps) < o.from) ++first;
  plan.drawUpTo = last;
  plan.firstWritten = first;
  return plan;
}

std::string absolute(const std::string& path) {
  std::error_code ec;
  const fs::path p = fs::absolute(path, ec);
  return ec ? path : p.string();
}

// The progress line is for a person at a terminal: it is redrawn in place a
// few times a second, and never written into a log or a pipe.
class Progress {
 public:
  Progress(bool shown, long total, double fps)
      : shown_(shown), total_(total), fps_(fps), start_(Clock::now()), lastShown_(start_) {}

  void frameDone(long done) {
    if (!shown_) return;
    const auto now = Clock::now();
    if (now - lastShown_ < std::chrono::milliseconds(200) && done != total_) return;
    lastShown_ = now;
    // "\x1b[K" clears what a longer earlier line left on the right.
    std::fprintf(stderr, "\rpixelfolk-capture: %s\x1b[K", progressLine(done, total_, elapsed(), fps_).c_str());
    std::fflush(stderr);
  }

  // Ends the line with the totals, once every output is complete.
  void finished() {
    if (!shown_) return;
    const double seconds = elapsed();
    const double showSeconds = static_cast<double>(total_) / fps_;
    std::fprintf(stderr, "\rpixelfolk-capture: %ld frames (%.2f s of show) in %.2f s, %.1fx real time\x1b[K\n", total_,
                 showSeconds, seconds, showSeconds / seconds);
  }

  double elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

 private:
  using Clock = std::chrono::steady_clock;
  bool shown_;
  long total_;
  double fps_;
  Clock::time_point start_;
  Clock::time_point lastShown_;
};

int fail(const std::string& message) {
  std::fprintf(stderr, "pixelfolk-capture: %s\n", message.c_str());
  return 1;
}

}  // namespace

double frameTime(long k, const FrameRate& fps) {
  return historyFrameTime(k, HistoryRate{fps.numerator, fps.denominator});
}

int runCapture(const CaptureOptions& o) {
  FrameFormat format;
  format.fpsNumerator = o.fps.numerator;
  format.fpsDenominator = o.fps.denominator;
  format.audioRate = kShowMusicRate;
  format.scale = o.scale;

  // Output paths are taken from where the tool was started, before it moves
  // into the show directory.
  std::vector<std::unique_ptr<FrameSink>> sinks;
  // One compressing thread per processor: drawing a frame costs a small
  // part of compressing it, so the drawing thread shares a processor.
  const unsigned threads = o.threads > 0 ? o.threads : std::max(1u, std::thread::hardware_concurrency());
  if (!o.framesDir.empty()) {
    sinks.push_back(makePngFolderSink(absolute(o.framesDir), format, o.pngCompression, threads));
  }
  if (!o.pngFile.empty()) sinks.push_back(makeSinglePngSink(absolute(o.pngFile), format, o.pngCompression));
  if (!o.videoFile.empty()) {
    std::string error;
    auto video = makeVideoSink(absolute(o.videoFile), format, o.video, &error);
    if (!video) return fail(error);
    sinks.push_back(std::move(video));
  }

  // From here on the show's own code loads the show, with the show's own
  // messages for bad media: on standard error only.
  platform::keepMessagesOffScreen();
  if (o.showDir.empty()) {
    if (!enterMediaFolder("Name the show's folder with -C.")) return 1;
  } else {
    // A folder named with -C is taken as the show takes its working
    // directory: anything by the list's name is read, and its fault named.
    if (!platform::pathExists((fs::path(o.showDir) / kResourceListName).string())) {
      return fail("no show in " + o.showDir + " (it has no " + kResourceListName +
                  "); build the show or name its folder with -C");
    }
    std::error_code ec;
    fs::current_path(o.showDir, ec);
    if (ec) return fail("cannot enter " + o.showDir + ": " + ec.message());
  }

  std::unique_ptr<ShowReplay> replay;
  try {
    replay = std::make_unique<ShowReplay>(o.loadDelay);
  } catch (const std::bad_alloc&) {
    endForLackOfMemory();
  }

  const FramePlan plan = planFrames(o);
  const long written = plan.drawUpTo - plan.firstWritten + 1;
  if (written <= 0) return fail("the time range holds no frame");
  const double audioFrom = plan.singleAt >= 0 ? plan.singleAt : frameTime(plan.firstWritten, o.fps);
  const double audioTo = plan.singleAt >= 0 ? plan.singleAt : frameTime(plan.drawUpTo + 1, o.fps);
  CaptureContent content;
  content.audio = replay->audio(audioFrom, audioTo);
  content.title = kShowTitle;
  content.chapters = chaptersAtMarks(replay->marks(), plan.firstWritten, plan.drawUpTo, o.fps);

  std::string error;
  auto abandonAll = [&](const std::string& why) {
    for (auto& sink : sinks) sink->abandon();
    return fail(why);
  };
  for (auto& sink : sinks) {
    if (!sink->begin(content, &error)) return abandonAll(error);
  }

  Progress progress(!o.quiet && written > 1 && platform::standardErrorIsTerminal(), written, o.fps.value());
  const HistoryRate history{o.fps.numerator, o.fps.denominator};
  for (long k = plan.firstWritten; k <= plan.drawUpTo; ++k) {
    const bool last = k == plan.drawUpTo;
    const double t = last && plan.singleAt >= 0 ? plan.singleAt : frameTime(k, o.fps);
    // The frames before the first written one are replayed without pixels.
    if (k == plan.firstWritten) {
      replay->seek(t, history);
    } else {
      replay->renderFrame(t);
    }
    for (auto& sink : sinks) {
      if (!sink->addFrame(Screen::pixels, &error)) return abandonAll(error);
    }
    progress.frameDone(k - plan.firstWritten + 1);
  }
  for (auto& sink : sinks) {
    if (!sink->finish(&error)) return abandonAll(error);
  }
  progress.finished();
  return 0;
}
