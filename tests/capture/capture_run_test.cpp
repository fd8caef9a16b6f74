// Runs the capture tool as a user would and checks what it leaves behind.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/frame_clock.h"
#include "capture.h"
#include "music/trigger_index.h"
#include "music/trigger_timeline.h"
#include "render/blits.h"
#include "render/font.h"
#include "render/screen.h"
#include "render/show_state.h"
#include "resources/data_controller.h"
#include "script/scene.h"
#include "script/scene_marks.h"
#include "show_replay.h"

namespace fs = std::filesystem;

namespace {

struct Result {
  int code;
  std::string err;
};

// Runs the tool with its standard error captured.
Result capture(const std::string& args) {
  // One file per test: ctest runs the tests of this program in parallel.
  const fs::path errFile =
      fs::path(testing::TempDir()) /
      ("capture-stderr-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
       std::to_string(getpid()) + ".txt");
  const std::string command = std::string(CAPTURE_EXE) + " " + args + " 2>" + errFile.string();
  const int status = std::system(command.c_str());
  std::ifstream in(errFile);
  std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err};
}

std::string readBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The pixels of a PNG of the show's size times `scale`; empty when it is not one.
std::vector<uint32_t> readPng(const fs::path& p, int scale = 1) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, p.c_str())) return {};
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
  if (image.width != 640u * scale || image.height != 480u * scale ||
      !png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return {};
  }
  for (uint32_t& p : pixels) p &= 0x00FFFFFFu;
  return pixels;
}

// Every PNG frame the tool wrote into `folder` decodes whole (libpng checks
// each chunk's CRC and the zlib stream's checksum), and there are `count`.
testing::AssertionResult everyFrameDecodes(const fs::path& folder, int count) {
  int frames = 0;
  std::string broken;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".png") continue;
    ++frames;
    if (readPng(entry.path()).empty()) broken += " " + entry.path().filename().string();
  }
  if (frames == count && broken.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << folder << " holds " << frames << " frames, " << count << " expected"
                                     << (broken.empty() ? "" : "; these do not decode:") << broken;
}

class Scratch : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) /
           ("capture-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string at(const std::string& name) const { return (dir_ / name).string(); }
  const std::string show_ = std::string("-C ") + SHOW_DIR + " -q ";
  fs::path dir_;
};

}  // namespace

TEST_F(Scratch, SameRangeTwiceGivesIdenticalFramesAndSound) {
  ASSERT_EQ(capture(show_ + "--fps 10 --from 40 --to 40.5 --frames " + at("a")).code, 0);
  ASSERT_EQ(capture(show_ + "--fps 10 --from 40 --to 40.5 --frames " + at("b")).code, 0);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(at("a"))) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"frame-000000.png", "frame-000001.png", "frame-000002.png", "frame-000003.png",
                                      "frame-000004.png", "frame-000005.png", "soundtrack.wav"}));
  for (const std::string& name : names) {
    EXPECT_EQ(readBytes(at("a") + "/" + name), readBytes(at("b") + "/" + name)) << name;
  }
  // Six frames at 10 fps: 0.6 s of 16-bit stereo at 44100 Hz after a 44-byte header.
  const std::string wav = readBytes(at("a") + "/soundtrack.wav");
  EXPECT_EQ(wav.size(), 44u + 26460u * 4u);
  EXPECT_NE(wav.find_first_not_of('\0', 44), std::string::npos) << "the music plays at 40 s";
  EXPECT_FALSE(fs::exists(at("a") + ".partial"));
  EXPECT_TRUE(everyFrameDecodes(at("a"), 6));
  EXPECT_TRUE(everyFrameDecodes(at("b"), 6));
}

// The captured frame at a time must be the frame the scene script draws for
// the counts the music has reached by then, on a clock that ticked at the
// same frame times. The counts here come from the music library's own
// timeline scan, not from the capture tool.
// A still picture held for a while gives runs of equal frames, compressed
// once and written under every frame's name; the run ends where the second
// credit comes in (78.5 s).
TEST_F(Scratch, RepeatedFramesAcrossTheSecondCredit) {
  ASSERT_EQ(capture(show_ + "--from 78 --to 79 --frames " + at("still")).code, 0);
  ASSERT_EQ(capture(show_ + "--frame-at 78 --png " + at("before.png")).code, 0);
  ASSERT_EQ(capture(show_ + "--frame-at 79 --png " + at("after.png")).code, 0);
  const std::vector<uint32_t> before = readPng(at("before.png"));
  const std::vector<uint32_t> after = readPng(at("after.png"));
  ASSERT_EQ(before.size(), 307200u);
  ASSERT_NE(before, after);
  int beforeCount = 0, afterCount = 0;
  for (int k = 0; k <= 60; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", k);
    const std::vector<uint32_t> frame = readPng(at("still") + name);
    ASSERT_EQ(frame.size(), 307200u) << name;
    // Once the credit is in, every later frame shows it.
    if (frame == before) {
      EXPECT_EQ(afterCount, 0) << name;
      ++beforeCount;
    } else {
      EXPECT_EQ(frame, after) << name;
      ++afterCount;
    }
  }
  EXPECT_GT(beforeCount, 20);
  EXPECT_GT(afterCount, 20);
}

// The earlier compression stays available for comparison: its files differ
// in bytes but hold the same pixels.
TEST_F(Scratch, BothPngCompressionsHoldTheSameFrames) {
  ASSERT_EQ(capture(show_ + "--fps 10 --from 20 --to 20.3 --frames " + at("fast")).code, 0);
  ASSERT_EQ(
      capture(show_ + "--fps 10 --from 20 --to 20.3 --png-compression zlib --threads 1 --frames " + at("zlib")).code,
      0);
  EXPECT_TRUE(everyFrameDecodes(at("fast"), 4));
  EXPECT_TRUE(everyFrameDecodes(at("zlib"), 4));
  for (const char* name : {"frame-000000.png", "frame-000003.png"}) {
    const std::vector<uint32_t> fast = readPng(at("fast") + "/" + name);
    ASSERT_EQ(fast.size(), 307200u) << name;
    EXPECT_EQ(fast, readPng(at("zlib") + "/" + name)) << name;
    EXPECT_NE(readBytes(at("fast") + "/" + name), readBytes(at("zlib") + "/" + name)) << name;
  }
}

// Standard error that is not a terminal gets no progress line, even without
// -q; a terminal gets one with the rate, the speed and the time left.
TEST_F(Scratch, ProgressLineOnlyOnATerminal) {
  const std::string range = "-C " + std::string(SHOW_DIR) + " --fps 10 --to 1 --frames ";
  Result r = capture(range + at("logged"));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(everyFrameDecodes(at("logged"), 11));

  // util-linux's `script` gives the tool a terminal; a machine without one, or
  // without pseudo-terminals, cannot show this.
  if (std::system("script -qec true /dev/null </dev/null >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "no 'script' or no pseudo-terminal to run the tool on";
  }
  const std::string command =
      "script -qec '" + std::string(CAPTURE_EXE) + " " + range + at("watched") + "' /dev/null </dev/null 2>&1";
  FILE* out = popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  std::string shown;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, out)) > 0) shown.append(buffer, n);
  EXPECT_EQ(WEXITSTATUS(pclose(out)), 0);
  EXPECT_NE(shown.find("frames/s"), std::string::npos) << shown;
  EXPECT_NE(shown.find("x real time"), std::string::npos) << shown;
  EXPECT_NE(shown.find("11 frames (1.10 s of show)"), std::string::npos) << shown;
  EXPECT_TRUE(everyFrameDecodes(at("watched"), 11));
}

TEST_F(Scratch, CapturedFramesAgreeWithTheSceneScriptAtEachScene) {
  const TriggerTimeline timeline = scanTriggerTimelineFile((fs::path(SHOW_DIR) / "demo.xm").c_str(), 44100);
  ASSERT_TRUE(timeline.loaded);
  const struct {
    const char* scene;
    double time;
    int minHits1, maxHits1;
  } scenes[] = {
      {"opening", timeline.timeOfHit(1, 300) + 0.01, 0, 703},
      // Either side of a count mark, where the frame's history decides the scene.
      {"just before the title", timeline.timeOfHit(1, 706) - 0.005, 704, 705},
      {"just after the title came", timeline.timeOfHit(1, 706) + 0.005, 706, 706},
      {"title", timeline.timeOfHit(1, 800) + 0.01, 706, 959},
      {"greetings", timeline.timeOfHit(1, 1000) + 0.01, 960, 1179},
      {"closing", 90.0, 1180, 1 << 30},
  };
  const FrameRate fps{20, 1};
  const fs::path original = fs::current_path();
  for (const auto& s : scenes) {
    SCOPED_TRACE(s.scene);
    ASSERT_GT(s.time, 0.0);
    char args[256];
    std::snprintf(args, sizeof args, "--fps 20 --frame-at %.6f --png %s", s.time, at("f.png").c_str());
    ASSERT_EQ(capture(show_ + args).code, 0);
    const std::vector<uint32_t> captured = readPng(at("f.png"));
    ASSERT_EQ(captured.size(), 307200u);

    // The live loop's state at that frame: fresh process-wide state, every
    // earlier frame drawn, then the frame itself.
    showState = ShowState{};
    fs::current_path(SHOW_DIR);
    DataController data("resinfo.rli");
    Font font(16, 8, 32, 32, data.getPicture(0));
    FrameClock clock(kReplayClockOrigin);
    const TriggerIndex notes(timeline);
    auto drawAt = [&](double t) {
      clock.update(kReplayClockOrigin + t);
      showState.instrument1Hits = notes.hitsUpTo(1, t);
      showState.instrument4Hits = notes.hitsUpTo(4, t);
      runScene(data, clock, font);
    };
    for (long k = 0; frameTime(k, fps) < s.time; ++k) drawAt(frameTime(k, fps));
    drawAt(s.time);
    fs::current_path(original);

    EXPECT_GE(showState.instrument1Hits, s.minHits1);
    EXPECT_LE(showState.instrument1Hits, s.maxHits1);
    int differing = 0;
    for (int i = 0; i < 307200; ++i) differing += (Screen::pixels[i] & 0x00FFFFFFu) != captured[i];
    EXPECT_EQ(differing, 0);
  }
}

TEST_F(Scratch, BadShowDirectoryOrOutputFailsAndLeavesNothing) {
  Result r = capture("-q -C " + at("nowhere") + " --frames " + at("out"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("no show in"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(at("out")));

  r = capture(show_ + "--fps 10 --to 0.2 --frames /proc/pixelfolk/out");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("cannot create"), std::string::npos) << r.err;

  fs::create_directories(at("full"));
  std::ofstream(at("full") + "/keep.txt") << "mine";
  r = capture(show_ + "--fps 10 --to 0.2 --frames " + at("full"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("not empty"), std::string::npos) << r.err;
  EXPECT_EQ(readBytes(at("full") + "/keep.txt"), "mine");

  r = capture(show_ + "--frame-at 1 --png " + at("missing-dir/f.png"));
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(fs::exists(at("missing-dir")));

  for (const char* bad : {"--fps 0", "--scale 7", "--scale 0", "--scale 1.5"}) {
    r = capture(std::string(bad) + " --frames " + at("never"));
    EXPECT_EQ(r.code, 2) << bad;
    EXPECT_NE(r.err.find(std::string(bad).substr(0, 5)), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(at("never")));
  }
}

// Without -C, from a folder that holds no show, the capture finds the show
// the build wrote, as the show itself does.
TEST_F(Scratch, WithoutAShowFolderTheBuiltShowIsFound) {
  const Result r = capture("-q --frame-at 0 --png " + at("first.png"));
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(readPng(at("first.png")).size(), 307200u);
}

// A folder made ready for the frames, named with a trailing slash as a shell's
// completion gives it, takes them.
TEST_F(Scratch, EmptyFolderNamedWithASlashReceivesTheFrames) {
  fs::create_directories(at("ready"));
  const Result r = capture(show_ + "--fps 10 --to 0.2 --frames " + at("ready") + "/");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(everyFrameDecodes(at("ready"), 3));
  EXPECT_TRUE(fs::exists(at("ready") + "/soundtrack.wav"));
  EXPECT_FALSE(fs::exists(at("ready") + "/.partial"));
  EXPECT_FALSE(fs::exists(at("ready") + ".partial"));
}

TEST_F(Scratch, WholeShowAtALowFrameRate) {
  ASSERT_EQ(capture(show_ + "--fps 5 --frames " + at("all")).code, 0);
  // Frames 0 .. 481: the last is the first more than 96 s after the start.
  EXPECT_TRUE(everyFrameDecodes(at("all"), 482));
  EXPECT_EQ(fs::file_size(at("all") + "/soundtrack.wav"), 44u + static_cast<uintmax_t>(482 * 44100 / 5) * 4u);
  // The closing scene by the end: the last frame differs from the first.
  EXPECT_NE(readPng(at("all") + "/frame-000000.png"), readPng(at("all") + "/frame-000481.png"));
}

TEST_F(Scratch, VideoThroughFfmpeg) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "ffmpeg is not installed: the video output is not tested";
  }
  ASSERT_EQ(capture(show_ + "--fps 30 --from 41 --to 42 --video " + at("clip.mp4")).code, 0);
  const std::string bytes = readBytes(at("clip.mp4"));
  ASSERT_GT(bytes.size(), 1000u);
  EXPECT_EQ(bytes.substr(4, 4), "ftyp");
  EXPECT_FALSE(fs::exists(at("clip.mp4.partial")));
  EXPECT_FALSE(fs::exists(at("clip.mp4.partial.wav")));
}

// An enlarged capture holds the show's frames with each pixel an N x N
// block, at every scale, through the single frame and the folder of frames
// (whose repeated frames are compressed once), with each compression.
TEST_F(Scratch, EnlargedFramesAreTheShowsFramesInBlocks) {
  const struct {
    int scale;
    const char* range;  // a --frame-at time, or a --from/--to range at 20 fps
    const char* compression;
  } cases[] = {
      {2, "--frame-at 0.5", "fast"},
      {3, "--frame-at 41", "libdeflate"},
      {6, "--frame-at 88", "fast"},
      {4, "--fps 20 --from 78.43 --to 78.61", "zlib"},  // the second credit comes in
      {5, "--fps 20 --from 59.99 --to 60.16", "fast"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.range) + " at " + std::to_string(c.scale));
    const bool single = std::string(c.range).rfind("--frame-at", 0) == 0;
    const std::string out = single ? " --png " : " --frames ";
    const std::string options = show_ + c.range + " --png-compression " + c.compression + out;
    fs::remove_all(at("plain"));
    fs::remove_all(at("big"));
    ASSERT_EQ(capture(options + at("plain")).code, 0);
    ASSERT_EQ(capture("--scale " + std::to_string(c.scale) + " " + options + at("big")).code, 0);
    std::vector<std::pair<fs::path, fs::path>> frames;
    if (single) {
      frames.emplace_back(at("plain"), at("big"));
    } else {
      for (const auto& entry : fs::directory_iterator(at("plain"))) {
        if (entry.path().extension() == ".png") frames.emplace_back(entry.path(), at("big") / entry.path().filename());
      }
      ASSERT_EQ(frames.size(), 4u);
      EXPECT_EQ(readBytes(at("plain") + "/soundtrack.wav"), readBytes(at("big") + "/soundtrack.wav"));
    }
    for (const auto& [plainFile, bigFile] : frames) {
      const std::vector<uint32_t> plain = readPng(plainFile);
      const std::vector<uint32_t> big = readPng(bigFile, c.scale);
      ASSERT_EQ(plain.size(), 307200u) << plainFile;
      ASSERT_EQ(big.size(), 307200u * c.scale * c.scale) << bigFile;
      const int wide = 640 * c.scale;
      size_t differing = 0;
      for (size_t i = 0; i < big.size(); ++i) {
        const size_t x = i % wide / c.scale, y = i / wide / c.scale;
        differing += big[i] != plain[y * 640 + x];
      }
      EXPECT_EQ(differing, 0u) << bigFile;
    }
  }
}

// The chapters of a video start on the first frame that draws each scene
// mark, counted from the video's first frame, at a rate of no whole number
// of frames a second; they carry the marks' names, and the video the show's
// title. An enlarged video is tagged with the colour matrix its frames use.
TEST_F(Scratch, VideoChaptersStartAtTheSceneMarks) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1 && command -v ffprobe >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "ffmpeg is not installed: the video's chapters are not tested";
  }
  const FrameRate fps{10000, 1001};
  const double from = 30.0;
  ASSERT_EQ(capture(show_ + "--fps 10000/1001 --from 30 --scale 2 --video " + at("show.mp4")).code, 0);
  const std::string probe =
      "ffprobe -v error -show_chapters -show_entries format_tags=title:stream=width,height,color_space "
      "-of flat " +
      at("show.mp4") + " >" + at("probe.txt");
  ASSERT_EQ(std::system(probe.c_str()), 0);
  const std::string text = "\n" + readBytes(at("probe.txt"));
  auto field = [&](const std::string& key) {
    const size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return std::string();
    const size_t start = at + key.size() + 2;
    std::string value = text.substr(start, text.find('\n', start) - start);
    if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
    return value;
  };
  EXPECT_EQ(field("format.tags.title"), "Pixelfolk enjoy dance!") << text;
  EXPECT_EQ(field("streams.stream.0.width"), "1280") << text;
  EXPECT_EQ(field("streams.stream.0.height"), "960") << text;
  EXPECT_EQ(field("streams.stream.0.color_space"), "smpte170m") << text;

  const TriggerTimeline timeline = scanTriggerTimelineFile((fs::path(SHOW_DIR) / "demo.xm").c_str(), 44100);
  ASSERT_TRUE(timeline.loaded);
  long firstFrame = 0;
  while (frameTime(firstFrame, fps) < from) ++firstFrame;
  // The chapter the video starts in is the last mark before it; each later mark opens one.
  std::vector<std::pair<std::string, long>> expected;
  for (const SceneMark& mark : sceneMarks(timeline)) {
    long k = 0;
    while (frameTime(k, fps) < mark.showTime) ++k;
    if (k <= firstFrame) expected.clear();
    expected.emplace_back(mark.name, std::max(0L, k - firstFrame));
  }
  ASSERT_GE(expected.size(), 6u);
  for (size_t i = 0; i < expected.size(); ++i) {
    const std::string chapter = "chapters.chapter." + std::to_string(i) + ".";
    SCOPED_TRACE(chapter);
    EXPECT_EQ(field(chapter + "tags.title"), expected[i].first) << text;
    const double start = std::atof(field(chapter + "start_time").c_str());
    EXPECT_NEAR(start * fps.value(), static_cast<double>(expected[i].second), 0.5) << text;
  }
  EXPECT_EQ(field("chapters.chapter." + std::to_string(expected.size()) + ".id"), "") << text;
  EXPECT_FALSE(fs::exists(at("show.mp4.partial.ffmetadata")));
}

TEST(CaptureWithoutFfmpeg, VideoRequestSaysWhatIsMissing) {
  const std::string command =
      std::string("PATH=/nonexistent ") + CAPTURE_EXE + " -q -C " + SHOW_DIR + " --video /tmp/never.mp4 2>&1";
  FILE* out = popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  char buffer[512] = "";
  const size_t n = std::fread(buffer, 1, sizeof buffer - 1, out);
  buffer[n] = '\0';
  const int status = pclose(out);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(std::string(buffer).find("ffmpeg is not installed"), std::string::npos) << buffer;
  EXPECT_FALSE(fs::exists("/tmp/never.mp4"));
}
