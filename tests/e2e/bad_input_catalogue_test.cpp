// What the show does with each bad input a user can put in its place: the
// real executable runs once per case, in a working directory made for it,
// and the exit code and the lines on standard error are checked. Read the
// table as the show's behaviour on damaged or strange media.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "imageio/jpeg_writer.h"
#include "music/protracker_module.h"

namespace {

namespace fs = std::filesystem;

// --- making the bad inputs ---------------------------------------------

void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void writeText(const fs::path& path, const std::string& text) { writeBytes(path, {text.begin(), text.end()}); }

std::vector<uint8_t> readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writePicture(const fs::path& path, int width = 16, int height = 16) {
  fs::create_directories(path.parent_path());
  const std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 0x60);
  ASSERT_TRUE(imageio::writeJpeg(path.string(), width, height, rgb.data(), {75, false}));
}

// A small real picture whose frame header claims another size: the decoder
// learns the size before it reads a pixel.
void writePictureClaiming(const fs::path& path, int width, int height) {
  writePicture(path);
  std::vector<uint8_t> bytes = readBytes(path);
  for (size_t i = 0; i + 8 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {  // baseline frame header
      bytes[i + 5] = static_cast<uint8_t>(height >> 8);
      bytes[i + 6] = static_cast<uint8_t>(height);
      bytes[i + 7] = static_cast<uint8_t>(width >> 8);
      bytes[i + 8] = static_cast<uint8_t>(width);
      writeBytes(path, bytes);
      return;
    }
  }
  FAIL() << "no frame header in " << path;
}

void makeFifo(const fs::path& path) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << path;
}

// The built show's pictures and list, without its music.
void linkShowMedia() {
  fs::create_directory_symlink(fs::path(PIXELFOLK_SHOW_DIR) / "data", "data");
  fs::copy_file(fs::path(PIXELFOLK_SHOW_DIR) / "resinfo.rli", "resinfo.rli");
}

void linkWholeShow() {
  linkShowMedia();
  fs::create_symlink(fs::path(PIXELFOLK_SHOW_DIR) / "demo.xm", "demo.xm");
}

// --- running the show ----------------------------------------------------

struct ShowRun {
  bool hung = false;
  bool endedEarly = false;  // for a show meant to keep running
  int exitCode = -1;        // 128 + signal when a signal ended it
  std::string err;
};

struct Limits {
  const char* videoDriver = nullptr;  // nullptr: the test's own (offscreen)
  const char* audioDriver = nullptr;
  rlim_t addressSpace = RLIM_INFINITY;
};

int codeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

// A copy of the show beside each case's files, outside the build tree, so that
// a folder without a list does not fall back to the build's own media.
const char kShowCopy[] = "./pixelfolk";

// Runs the show in the current directory. keepRunning: the show must still
// run after `seconds`, and is then interrupted; otherwise it must end by
// itself within `seconds`.
ShowRun runShow(bool keepRunning, int seconds, const Limits& limits) {
  const fs::path errPath = fs::current_path() / "stderr.txt";
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open("/dev/null", O_WRONLY);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, 1);
    dup2(err, 2);
    // Software rendering keeps sanitizer builds clear of the GL drivers' own leaks.
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
    if (limits.videoDriver != nullptr) setenv("SDL_VIDEODRIVER", limits.videoDriver, 1);
    if (limits.audioDriver != nullptr) setenv("SDL_AUDIODRIVER", limits.audioDriver, 1);
    if (limits.addressSpace != RLIM_INFINITY) {
      const rlimit limit{limits.addressSpace, limits.addressSpace};
      setrlimit(RLIMIT_AS, &limit);
    }
    signal(SIGINT, SIG_DFL);
    execl(kShowCopy, kShowCopy, static_cast<char*>(nullptr));
    _exit(127);
  }
  ShowRun run;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  bool ended = false;
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      ended = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (keepRunning) {
    run.endedEarly = ended;
    if (!ended) {
      kill(pid, SIGINT);
      waitpid(pid, &status, 0);
    }
    run.exitCode = codeOf(status);
  } else if (!ended) {
    run.hung = true;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  } else {
    run.exitCode = codeOf(status);
  }
  std::ifstream in(errPath);
  std::stringstream text;
  text << in.rdbuf();
  run.err = text.str();
  return run;
}

// --- the catalogue ---------------------------------------------------------

constexpr bool kRunning = true;  // the show goes on; SIGINT ends it with 0
constexpr bool kEnds = false;    // the show ends by itself at start-up

struct BadInput {
  const char* whatTheUserHas;
  std::function<void()> prepare;  // run in a fresh, empty working directory
  bool showKeepsRunning;
  int exitCode;
  std::vector<std::string> stderrSays;
  Limits limits = {};
};

const char kNoList[] = "Error: Couldn't open DataController file!";
const char kSkyNotLoaded[] = "Error: Couldn't load the image data/jpgs/sky.jpg.";
const char kLineOneNotLoaded[] = "Error: Error loading image at line 1 in the resfile resinfo.rli.";

void listNamingSky() { writeText("resinfo.rli", "sky 1\n"); }

const std::vector<BadInput>& catalogue() {
  static const std::vector<BadInput> cases = {
      // The resource list.
      {"No resource list", [] {}, kEnds, 1, {"Error: Couldn't find resinfo.rli in "}},
      {"The resource list is a directory", [] { fs::create_directory("resinfo.rli"); }, kEnds, 1, {kNoList}},
      {"The resource list is a FIFO nobody writes to", [] { makeFifo("resinfo.rli"); }, kEnds, 1, {kNoList}},
      {"The resource list is endless zeros",
       [] { fs::create_symlink("/dev/zero", "resinfo.rli"); },
       kEnds,
       1,
       {kNoList}},
      {"The resource list cannot be read",
       [] { fs::create_symlink("/proc/self/mem", "resinfo.rli"); },
       kEnds,
       1,
       {kNoList}},
      {"The resource list is over 1 MiB",
       [] {
         writeText("resinfo.rli", "sky 1\n");
         fs::resize_file("resinfo.rli", (1 << 20) + 1);
       },
       kEnds,
       1,
       {"Error: The resfile resinfo.rli is larger than 1048576 bytes, the most a resource list may hold."}},
      {"A list line is half a megabyte long",
       [] { writeText("resinfo.rli", std::string(500000, 'x')); },
       kEnds,
       1,
       {"Error: Line 1 in the resfile resinfo.rli is longer than 79 characters."}},
      {"A list line has an unknown type",
       [] { writeText("resinfo.rli", ". a comment\n\nfont 3\n"); },
       kEnds,
       1,
       {"Error: Syntax error in resourcetype field at line 3 in file resinfo.rli. 3 found, expected 1 or 2"}},
      {"A picture name is too long",
       [] { writeText("resinfo.rli", std::string(66, 'p') + " 1\n"); },
       kEnds,
       1,
       {"Error: Name too long at line 1 in the resfile resinfo.rli. A picture name holds at most 65 characters."}},
      // Pictures.
      {"A listed picture is missing", listNamingSky, kEnds, 1, {kSkyNotLoaded, kLineOneNotLoaded}},
      {"A listed picture is a directory",
       [] {
         listNamingSky();
         fs::create_directories("data/jpgs/sky.jpg");
       },
       kEnds,
       1,
       {kSkyNotLoaded, kLineOneNotLoaded}},
      {"A listed picture is a FIFO",
       [] {
         listNamingSky();
         makeFifo("data/jpgs/sky.jpg");
       },
       kEnds,
       1,
       {kSkyNotLoaded, kLineOneNotLoaded}},
      {"A listed picture cannot be read",
       [] {
         listNamingSky();
         fs::create_directories("data/jpgs");
         fs::create_symlink("/proc/self/mem", "data/jpgs/sky.jpg");
       },
       kEnds,
       1,
       {kSkyNotLoaded, kLineOneNotLoaded}},
      {"A picture header claims 65378 x 63199 pixels",
       [] {
         listNamingSky();
         writePictureClaiming("data/jpgs/sky.jpg", 65378, 63199);
       },
       kEnds,
       1,
       {kSkyNotLoaded, kLineOneNotLoaded}},
      {"A picture header claims 33026 x 33026 pixels",
       [] {
         listNamingSky();
         writePictureClaiming("data/jpgs/sky.jpg", 33026, 33026);
       },
       kEnds,
       1,
       {kSkyNotLoaded, kLineOneNotLoaded}},
      {"A picture header claims 16385 x 8 pixels",
       [] {
         listNamingSky();
         writePictureClaiming("data/jpgs/sky.jpg", 16385, 8);
       },
       kEnds,
       1,
       {kSkyNotLoaded, kLineOneNotLoaded}},
      {"A picture is not a JPEG at all",
       [] {
         listNamingSky();
         writeText("data/jpgs/sky.jpg", "GIF89a, or anything else");
       },
       kEnds,
       1,
       {"Error: data/jpgs/sky.jpg: Not a JPEG file: starts with 0x47 0x49"}},
      {"A picture is an empty file",
       [] {
         listNamingSky();
         writeText("data/jpgs/sky.jpg", "");
       },
       kEnds,
       1,
       {"Error: data/jpgs/sky.jpg: Empty input file"}},
      {"An animation frame is a directory",
       [] {
         writeText("resinfo.rli", "walk 2 2\n");
         writePicture("data/animations/walk/walk 1.jpg");
         fs::create_directories("data/animations/walk/walk 2.jpg");
       },
       kEnds,
       1,
       {"Error: Couldn't load the image data/animations/walk/walk 2.jpg.",
        "Error: Error loading animation at line 1 in the resfile resinfo.rli."}},
      // The screen and the sound.
      {"No display can be opened",
       linkShowMedia,
       kEnds,
       1,
       {"pixelfolk: cannot open the display"},
       {"no-such-driver", nullptr}},
      {"No sound device", linkWholeShow, kRunning, 0, {"Sound unavailable"}, {nullptr, "no-such-driver"}},
      // The music: the show always runs to its end, silently if need be.
      {"No music file", linkShowMedia, kRunning, 0, {"Music file \"demo.xm\" not loaded: No such file or directory"}},
      {"The music file is a directory",
       [] {
         linkShowMedia();
         fs::create_directory("demo.xm");
       },
       kRunning,
       0,
       {"Music file \"demo.xm\" not loaded: Is a directory"}},
      {"The music file is a FIFO",
       [] {
         linkShowMedia();
         makeFifo("demo.xm");
       },
       kRunning,
       0,
       {"Music file \"demo.xm\" not loaded: not a regular file"}},
      {"The music file cannot be read",
       [] {
         linkShowMedia();
         fs::create_symlink("/proc/self/mem", "demo.xm");
       },
       kRunning,
       0,
       {"Music file \"demo.xm\" not loaded: cannot be read"}},
      {"The music file is not a module",
       [] {
         linkShowMedia();
         writeText("demo.xm", std::string(4000, 'Z'));
       },
       kRunning,
       0,
       {"Music file \"demo.xm\" not loaded: not a module libxmp can play"}},
      {"The music is a ProTracker module cut off before its sample data, using the invert-loop effect",
       [] {
         linkShowMedia();
         writeBytes("demo.xm", protracker::module(false));
       },
       kRunning,
       0,
       {"Music file \"demo.xm\" is damaged: 1 of its samples have no data and stay silent"}},
      {"The music is a ProTracker module cut off before the data of a sample that does not loop",
       [] {
         linkShowMedia();
         writeBytes("demo.xm", protracker::module(false, false));
       },
       kRunning,
       0,
       {"Music file \"demo.xm\" is damaged: 1 of its samples have no data and stay silent"}},
  };
  return cases;
}

// Address sanitizers reserve far more address space than any limit leaves.
std::vector<BadInput> everyCase() {
  std::vector<BadInput> cases = catalogue();
#ifndef PIXELFOLK_UNDER_SANITIZER
  cases.push_back({"Too little memory for a picture of 6000 x 6000 pixels",
                   [] {
                     writeText("resinfo.rli", "big 1\n");
                     writePicture("data/jpgs/big.jpg", 6000, 6000);
                   },
                   kEnds,
                   1,
                   {"Error: Not enough memory to start the show."},
                   {nullptr, nullptr, rlim_t{96} << 20}});
#endif
  return cases;
}

// Test results name the case by its own words, not its bytes.
void PrintTo(const BadInput& c, std::ostream* out) { *out << '"' << c.whatTheUserHas << '"'; }

std::string testNameOf(const testing::TestParamInfo<BadInput>& info) {
  std::string name;
  bool upper = true;
  for (const char* c = info.param.whatTheUserHas; *c != '\0'; ++c) {
    if (std::isalnum(static_cast<unsigned char>(*c))) {
      name.push_back(upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c);
      upper = false;
    } else {
      upper = true;
    }
  }
  return name;
}

class BadInputCatalogue : public testing::TestWithParam<BadInput> {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    // The process id keeps runs from other build folders out of each other's way.
    folder_ = fs::temp_directory_path() /
              ("pixelfolk-catalogue-" + std::to_string(getpid()) + "-" + testNameOf({GetParam(), 0}));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
    fs::copy_file(PIXELFOLK_SHOW_EXECUTABLE, kShowCopy);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }

 private:
  fs::path previous_;
  fs::path folder_;
};

TEST_P(BadInputCatalogue, ShowsTheMessageAndEndsWithTheCode) {
  const BadInput& c = GetParam();
  c.prepare();
  if (testing::Test::HasFatalFailure()) return;
  const ShowRun run = runShow(c.showKeepsRunning, c.showKeepsRunning ? 5 : 30, c.limits);
  ASSERT_FALSE(run.hung) << "still running after 30 s; stderr:\n" << run.err;
  ASSERT_FALSE(run.endedEarly) << "ended by itself with code " << run.exitCode << "; stderr:\n" << run.err;
  EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
  for (const std::string& line : c.stderrSays) EXPECT_NE(run.err.find(line), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(WhenTheUserHas, BadInputCatalogue, testing::ValuesIn(everyCase()), testNameOf);

}  // namespace
