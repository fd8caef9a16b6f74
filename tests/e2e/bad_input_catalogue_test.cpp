// What the show does with each bad input a user can put in its place: the
// real executable runs once per case, in a working directory made for it,
// and the exit code and the lines on standard error are checked; the capture
// tool then runs on the same files and must say the same. Read the table as
// the show's behaviour on damaged or strange media.
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

// A small real picture with its frame header changed: the decoder reads the
// header before a single pixel. `edit` gets the bytes and the header's place
// (its marker FF C1 .. FF C3, its sample precision 4 bytes on, its height 5,
// its width 7).
void writePictureWithFrameHeader(const fs::path& path, const std::function<void(std::vector<uint8_t>&, size_t)>& edit) {
  writePicture(path);
  std::vector<uint8_t> bytes = readBytes(path);
  for (size_t i = 0; i + 8 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {  // baseline frame header
      edit(bytes, i);
      writeBytes(path, bytes);
      return;
    }
  }
  FAIL() << "no frame header in " << path;
}

void writePictureClaiming(const fs::path& path, int width, int height) {
  writePictureWithFrameHeader(path, [=](std::vector<uint8_t>& bytes, size_t header) {
    bytes[header + 5] = static_cast<uint8_t>(height >> 8);
    bytes[header + 6] = static_cast<uint8_t>(height);
    bytes[header + 7] = static_cast<uint8_t>(width >> 8);
    bytes[header + 8] = static_cast<uint8_t>(width);
  });
}

// A picture of busy pixels, so that most of the file is coded picture data.
void writeBusyPicture(const fs::path& path) {
  fs::create_directories(path.parent_path());
  constexpr int kSide = 256;
  std::vector<uint8_t> rgb(kSide * kSide * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7 + i / 769 * 13);
  ASSERT_TRUE(imageio::writeJpeg(path.string(), kSide, kSide, rgb.data(), {90, false}));
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

// A copy of the built show, music and all, whose picture `name` is then
// replaced or damaged by `change`.
void copyShowChanging(const char* name, const std::function<void(const fs::path&)>& change) {
  fs::copy(fs::path(PIXELFOLK_SHOW_DIR) / "data", "data", fs::copy_options::recursive);
  fs::copy_file(fs::path(PIXELFOLK_SHOW_DIR) / "resinfo.rli", "resinfo.rli");
  fs::create_symlink(fs::path(PIXELFOLK_SHOW_DIR) / "demo.xm", "demo.xm");
  const fs::path picture = fs::path("data/jpgs") / (std::string(name) + ".jpg");
  ASSERT_TRUE(fs::is_regular_file(picture)) << picture;
  change(picture);
}

// The built show's list as some Windows editors save it: a UTF-8 byte-order
// mark first, then `firstLine` (if any) and the list.
void linkShowWithMarkedList(const std::string& firstLine) {
  linkWholeShow();
  const std::vector<uint8_t> list = readBytes("resinfo.rli");
  fs::remove("resinfo.rli");
  writeText("resinfo.rli", "\xEF\xBB\xBF" + firstLine + std::string(list.begin(), list.end()));
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

// Copies of the show and the capture tool beside each case's files, outside
// the build tree, so that a folder without a list does not fall back to the
// build's own media.
const char kShowCopy[] = "./pixelfolk";
const char kCaptureCopy[] = "./pixelfolk-capture";

// Runs a program in the current directory. keepRunning: it must still run
// after `seconds`, and is then interrupted; otherwise it must end by itself
// within `seconds`.
ShowRun runProgram(const std::vector<std::string>& command, bool keepRunning, int seconds, const Limits& limits) {
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
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
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

// The capture tool opens no display and no sound device: what concerns those
// is the live show's alone.
constexpr bool kShowsDevices = true;

struct BadInput {
  const char* whatTheUserHas;
  std::function<void()> prepare;  // run in a fresh, empty working directory
  bool showKeepsRunning;
  int exitCode;
  std::vector<std::string> stderrSays;  // in this order
  std::vector<std::string> stderrNeverSays = {};
  Limits limits = {};
  bool aboutTheShowsDevices = false;
};

const char kNoList[] = "Error: Couldn't open DataController file!";
const char kSkyNotLoaded[] = "Error: Couldn't load the image data/jpgs/sky.jpg.";
const char kSkyNotARegularFile[] = "Error: data/jpgs/sky.jpg is a FIFO, a device or a socket, not a regular file.";
const char kLineOneNotLoaded[] = "Error: Error loading image at line 1 in the resfile resinfo.rli.";
const char kTorusNotLoaded[] = "Error: Couldn't load the image data/jpgs/torus.jpg.";
const char kLineOfTorusNotLoaded[] = "Error: Error loading image at line 18 in the resfile resinfo.rli.";

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
      {"The resource list starts with a byte-order mark before a comment",
       [] { linkShowWithMarkedList(""); },
       kRunning,
       0,
       {},
       {"Error"}},
      {"The resource list starts with a byte-order mark before its first picture",
       [] {
         linkShowWithMarkedList("");
         // The list without its comments: the mark then stands before "font 1".
         std::string list;
         std::ifstream in("resinfo.rli", std::ios::binary);
         for (std::string line; std::getline(in, line);) {
           const size_t text = line.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
           if (line.size() > text && line[text] != '.') list += line + "\n";
         }
         in.close();
         writeText("resinfo.rli", "\xEF\xBB\xBF" + list);
       },
       kRunning,
       0,
       {},
       {"Error"}},
      // Pictures.
      {"A listed picture is missing", listNamingSky, kEnds, 1, {kSkyNotLoaded, kLineOneNotLoaded}},
      {"A listed picture is a directory",
       [] {
         listNamingSky();
         fs::create_directories("data/jpgs/sky.jpg");
       },
       kEnds,
       1,
       {"Error: data/jpgs/sky.jpg is a directory, not a regular file.", kSkyNotLoaded, kLineOneNotLoaded}},
      {"A listed picture is a FIFO",
       [] {
         listNamingSky();
         makeFifo("data/jpgs/sky.jpg");
       },
       kEnds,
       1,
       {kSkyNotARegularFile, kSkyNotLoaded, kLineOneNotLoaded}},
      {"A listed picture is endless zeros",
       [] {
         listNamingSky();
         fs::create_directories("data/jpgs");
         fs::create_symlink("/dev/zero", "data/jpgs/sky.jpg");
       },
       kEnds,
       1,
       {kSkyNotARegularFile, kSkyNotLoaded, kLineOneNotLoaded}},
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
       {"Error: data/jpgs/sky.jpg is 65378 \u00D7 63199, more than the 16384 pixels a side the show decodes; scale it "
        "down.",
        kSkyNotLoaded, kLineOneNotLoaded}},
      {"A picture header claims 33026 x 33026 pixels",
       [] {
         listNamingSky();
         writePictureClaiming("data/jpgs/sky.jpg", 33026, 33026);
       },
       kEnds,
       1,
       {"Error: data/jpgs/sky.jpg is 33026 \u00D7 33026, more than the 16384 pixels a side the show decodes; scale it "
        "down.",
        kSkyNotLoaded, kLineOneNotLoaded}},
      {"A picture header claims 16385 x 8 pixels",
       [] {
         listNamingSky();
         writePictureClaiming("data/jpgs/sky.jpg", 16385, 8);
       },
       kEnds,
       1,
       {"Error: data/jpgs/sky.jpg is 16385 \u00D7 8, more than the 16384 pixels a side the show decodes; scale it "
        "down.",
        kSkyNotLoaded, kLineOneNotLoaded}},
      {"A picture of 12000 x 7500 pixels",
       [] {
         listNamingSky();
         writePictureClaiming("data/jpgs/sky.jpg", 12000, 7500);
       },
       kEnds,
       1,
       {"Error: data/jpgs/sky.jpg is 12000 \u00D7 7500, larger than the 256 MiB the show decodes; scale it down.",
        kSkyNotLoaded, kLineOneNotLoaded}},
      {"A picture is a CMYK JPEG",
       [] {
         copyShowChanging("torus", [](const fs::path& picture) {
           const std::vector<uint8_t> cmyk(64 * 64 * 4, 0x50);
           ASSERT_TRUE(imageio::writeCmykJpeg(picture.string(), 64, 64, cmyk.data()));
         });
       },
       kEnds,
       1,
       {"Error: data/jpgs/torus.jpg is a CMYK JPEG; save it as RGB or greyscale.", kTorusNotLoaded,
        kLineOfTorusNotLoaded}},
      {"A picture has 12-bit samples",
       [] {
         listNamingSky();
         writePictureWithFrameHeader("data/jpgs/sky.jpg",
                                     [](std::vector<uint8_t>& bytes, size_t header) { bytes[header + 4] = 12; });
       },
       kEnds,
       1,
       {"Error: data/jpgs/sky.jpg: Unsupported JPEG data precision 12"},
       {kSkyNotLoaded, "Invalid path"}},
      {"A picture is a lossless JPEG",
       [] {
         listNamingSky();
         writePictureWithFrameHeader("data/jpgs/sky.jpg",
                                     [](std::vector<uint8_t>& bytes, size_t header) { bytes[header + 1] = 0xC3; });
       },
       kEnds,
       1,
       {"Error: data/jpgs/sky.jpg: Unsupported JPEG process: SOF type 0xc3"},
       {kSkyNotLoaded, "Invalid path", "baseline"}},
      {"A picture is a hierarchical JPEG",
       [] {
         listNamingSky();
         writePictureWithFrameHeader("data/jpgs/sky.jpg",
                                     [](std::vector<uint8_t>& bytes, size_t header) { bytes[header + 1] = 0xC5; });
       },
       kEnds,
       1,
       {"Error: data/jpgs/sky.jpg: Unsupported JPEG process: SOF type 0xc5"},
       {kSkyNotLoaded, "Invalid path"}},
      {"A picture is cut short",
       [] {
         copyShowChanging("torus", [](const fs::path& picture) {
           writeBusyPicture(picture);
           fs::resize_file(picture, fs::file_size(picture) / 2);
         });
       },
       kRunning,
       0,
       {"data/jpgs/torus.jpg: Premature end of JPEG file (the picture is used as decoded)"},
       {"Error"}},
      {"A picture has damaged bytes",
       [] {
         copyShowChanging("torus", [](const fs::path& picture) {
           writeBusyPicture(picture);
           // A restart marker in the middle of coded data that has no restarts.
           std::vector<uint8_t> bytes = readBytes(picture);
           const uint8_t marker[] = {0xFF, 0xD3};
           bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2), marker, marker + 2);
           writeBytes(picture, bytes);
         });
       },
       kRunning,
       0,
       {"data/jpgs/torus.jpg: Corrupt JPEG data: premature end of data segment (the picture is used as decoded)"},
       {"Error", "extraneous bytes"}},
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
      {"The font sheet is smaller than the font's grid",
       [] {
         copyShowChanging("font", [](const fs::path& picture) {
           const std::vector<uint8_t> rgb(300 * 200 * 3, 0x80);
           ASSERT_TRUE(imageio::writeJpeg(picture.string(), 300, 200, rgb.data()));
         });
       },
       kRunning,
       0,
       {"Error.: The bitmap doesn't fit with the given criteria!",
        "data/jpgs/font.jpg: 300 \u00D7 200 pixels, smaller than the 512 \u00D7 256 that 16 \u00D7 8 glyphs of 32 "
        "pixels need"}},
      // The screen and the sound.
      {"No display can be opened",
       linkShowMedia,
       kEnds,
       1,
       {"pixelfolk: cannot open the display"},
       {},
       {"no-such-driver", nullptr},
       kShowsDevices},
      {"No sound device",
       linkWholeShow,
       kRunning,
       0,
       {"Sound unavailable"},
       {},
       {nullptr, "no-such-driver"},
       kShowsDevices},
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
      {"The music file is cut in half",
       [] {
         linkShowMedia();
         std::vector<uint8_t> module = readBytes(fs::path(PIXELFOLK_SHOW_DIR) / "demo.xm");
         module.resize(module.size() / 2);
         writeBytes("demo.xm", module);
       },
       kRunning,
       0,
       {"demo.xm ends early: 4 of its 10 samples are missing; the music plays without them"}},
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
                   {},
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

// The exit code, the lines in their order, and none of what must not be said.
void expectTheOutcome(const BadInput& c, const ShowRun& run) {
  EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
  size_t from = 0;
  for (const std::string& line : c.stderrSays) {
    const size_t at = run.err.find(line, from);
    EXPECT_NE(at, std::string::npos) << "missing, or out of order: " << line << "\nstderr:\n" << run.err;
    if (at != std::string::npos) from = at + line.size();
  }
  for (const std::string& text : c.stderrNeverSays) EXPECT_EQ(run.err.find(text), std::string::npos) << run.err;
}

TEST_P(BadInputCatalogue, ShowsTheMessageAndEndsWithTheCode) {
  const BadInput& c = GetParam();
  c.prepare();
  if (testing::Test::HasFatalFailure()) return;
  const ShowRun run = runProgram({kShowCopy}, c.showKeepsRunning, c.showKeepsRunning ? 5 : 30, c.limits);
  ASSERT_FALSE(run.hung) << "still running after 30 s; stderr:\n" << run.err;
  ASSERT_FALSE(run.endedEarly) << "ended by itself with code " << run.exitCode << "; stderr:\n" << run.err;
  expectTheOutcome(c, run);
}

INSTANTIATE_TEST_SUITE_P(WhenTheUserHas, BadInputCatalogue, testing::ValuesIn(everyCase()), testNameOf);

// The capture tool loads the show with the show's own code, so the same files
// give the same messages and the same exit code; where the show goes on, the
// capture writes its frame and ends with 0.
class CaptureToolCatalogue : public BadInputCatalogue {
 protected:
  void SetUp() override {
    BadInputCatalogue::SetUp();
    fs::copy_file(PIXELFOLK_CAPTURE_EXECUTABLE, kCaptureCopy);
  }
};

std::vector<BadInput> everyCaseOfFiles() {
  std::vector<BadInput> cases;
  for (const BadInput& c : everyCase()) {
    if (!c.aboutTheShowsDevices) cases.push_back(c);
  }
  return cases;
}

TEST_P(CaptureToolCatalogue, SaysWhatTheShowSaysAndEndsWithTheSameCode) {
  const BadInput& c = GetParam();
  c.prepare();
  if (testing::Test::HasFatalFailure()) return;
  // The whole soundtrack is rendered offline before the frame: slow under sanitizers.
  const ShowRun run = runProgram({kCaptureCopy, "-q", "--frame-at", "0", "--png", "frame.png"}, kEnds, 120, c.limits);
  ASSERT_FALSE(run.hung) << "still running after 120 s; stderr:\n" << run.err;
  expectTheOutcome(c, run);
  EXPECT_EQ(fs::is_regular_file("frame.png"), c.exitCode == 0);
}

INSTANTIATE_TEST_SUITE_P(WhenTheUserHas, CaptureToolCatalogue, testing::ValuesIn(everyCaseOfFiles()), testNameOf);

// A show started with --seek plays its music from samples rendered at the
// start, through another loader: the same music files must still give the
// same notes and the same exit code.
class SeekingShowCatalogue : public BadInputCatalogue {};

std::vector<BadInput> everyCaseOfMusic() {
  std::vector<BadInput> cases;
  for (const BadInput& c : everyCaseOfFiles()) {
    if (std::string(c.whatTheUserHas).find("music") != std::string::npos) cases.push_back(c);
  }
  return cases;
}

TEST_P(SeekingShowCatalogue, SaysWhatThePlainShowSays) {
  const BadInput& c = GetParam();
  c.prepare();
  if (testing::Test::HasFatalFailure()) return;
  const ShowRun run = runProgram({kShowCopy, "--seek=1"}, c.showKeepsRunning, c.showKeepsRunning ? 5 : 30, c.limits);
  ASSERT_FALSE(run.hung) << "still running after 30 s; stderr:\n" << run.err;
  ASSERT_FALSE(run.endedEarly) << "ended by itself with code " << run.exitCode << "; stderr:\n" << run.err;
  expectTheOutcome(c, run);
}

INSTANTIATE_TEST_SUITE_P(WhenTheUserHas, SeekingShowCatalogue, testing::ValuesIn(everyCaseOfMusic()), testNameOf);

}  // namespace
