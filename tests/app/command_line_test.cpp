#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CommandLine parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "pixelfolk");
  return parseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

}  // namespace

TEST(CommandLine, NoArgumentsRunsTheShowFullScreenWithSound) {
  const CommandLine line = parse({});
  EXPECT_EQ(line.action, CommandLine::Action::runShow);
  EXPECT_FALSE(line.windowed);
  EXPECT_FALSE(line.mute);
}

TEST(CommandLine, AcceptedLines) {
  struct Start {
    bool seek = false;
    double seconds = 0.0;
    bool rehearse = false;
    bool paused = false;
  };
  const struct {
    std::vector<const char*> arguments;
    CommandLine::Action action;
    bool windowed;
    int32_t width, height;
    bool mute;
    Start start;
  } cases[] = {
      {{"--help"}, CommandLine::Action::printHelp, false, 640, 480, false, {}},
      {{"--version"}, CommandLine::Action::printVersion, false, 640, 480, false, {}},
      {{"--version", "--help"}, CommandLine::Action::printHelp, false, 640, 480, false, {}},
      {{"--window"}, CommandLine::Action::runShow, true, 640, 480, false, {}},
      {{"--window=800x600"}, CommandLine::Action::runShow, true, 800, 600, false, {}},
      {{"--window=1920x1080", "--mute"}, CommandLine::Action::runShow, true, 1920, 1080, true, {}},
      {{"--window=32x16384"}, CommandLine::Action::runShow, true, 32, 16384, false, {}},
      // The last window option counts.
      {{"--window=800x600", "--window"}, CommandLine::Action::runShow, true, 640, 480, false, {}},
      {{"--mute"}, CommandLine::Action::runShow, false, 640, 480, true, {}},
      {{"--seek=57.5"}, CommandLine::Action::runShow, false, 640, 480, false, {true, 57.5}},
      {{"--seek", "40"}, CommandLine::Action::runShow, false, 640, 480, false, {true, 40.0}},
      {{"--seek=0"}, CommandLine::Action::runShow, false, 640, 480, false, {true, 0.0}},
      {{"--seek=96"}, CommandLine::Action::runShow, false, 640, 480, false, {true, 96.0}},
      {{"--seek=.25"}, CommandLine::Action::runShow, false, 640, 480, false, {true, 0.25}},
      {{"--seek=10", "--seek=20"}, CommandLine::Action::runShow, false, 640, 480, false, {true, 20.0}},
      {{"--rehearse"}, CommandLine::Action::runShow, false, 640, 480, false, {false, 0.0, true}},
      {{"--rehearse", "--seek=57.5", "--paused", "--window=640x480"},
       CommandLine::Action::runShow,
       true,
       640,
       480,
       false,
       {true, 57.5, true, true}},
      {{"--paused", "--mute", "--rehearse"},
       CommandLine::Action::runShow,
       false,
       640,
       480,
       true,
       {false, 0.0, true, true}},
  };
  for (const auto& c : cases) {
    const CommandLine line = parse(c.arguments);
    const std::string what = c.arguments.front();
    EXPECT_EQ(line.action, c.action) << what;
    EXPECT_EQ(line.windowed, c.windowed) << what;
    if (c.windowed) {
      EXPECT_EQ(line.windowWidth, c.width) << what;
      EXPECT_EQ(line.windowHeight, c.height) << what;
    }
    EXPECT_EQ(line.mute, c.mute) << what;
    EXPECT_EQ(line.seek, c.start.seek) << what;
    EXPECT_EQ(line.seekTime, c.start.seconds) << what;
    EXPECT_EQ(line.rehearse, c.start.rehearse) << what;
    EXPECT_EQ(line.paused, c.start.paused) << what;
    EXPECT_TRUE(line.error.empty()) << what;
  }
}

const std::string kManyE = [] {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "\u00E9";
  return text;
}();
const std::string kLongSeek = "--seek=" + [] {
  std::string digits;
  for (int i = 0; i < 10000; ++i) digits += static_cast<char>('0' + i % 10);
  return digits;
}();
const std::string kLongOption = "--" + kManyE;

TEST(CommandLine, RefusedLinesSayWhy) {
  const struct {
    std::vector<const char*> arguments;
    std::string reason;
  } cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"-h"}, "unknown option '-h'"},
      {{"--help=yes"}, "unknown option"},
      {{"--mute", "--windowed"}, "unknown option '--windowed'"},
      {{"demo.xm"}, "unexpected argument 'demo.xm'"},
      // Refused even beside --help: nothing on the line is silently dropped.
      {{"--help", "--bogus"}, "unknown option"},
      {{"--window="}, "--window takes"},
      {{"--window=800"}, "--window takes"},
      {{"--window=800x"}, "--window takes"},
      {{"--window=x600"}, "--window takes"},
      {{"--window=800x600x2"}, "--window takes"},
      {{"--window=800X600"}, "--window takes"},
      {{"--window=-800x600"}, "--window takes"},
      {{"--window=+800x600"}, "--window takes"},
      {{"--window=800 x600"}, "--window takes"},
      {{"--window=31x600"}, "--window takes"},
      {{"--window=800x16385"}, "--window takes"},
      {{"--window=0x0"}, "--window takes"},
      {{"--window=99999999999x600"}, "--window takes"},
      // Six digits even with leading zeros: the length is bounded, not only the value.
      {{"--window=000800x600"}, "--window takes"},
      {{"--window=800x000600"}, "--window takes"},
      {{"--seek"}, "--seek needs the seconds"},
      {{"--seek="}, "--seek takes seconds from 0 to 96"},
      {{"--seek=96.01"}, "--seek takes seconds from 0 to 96"},
      {{"--seek=-1"}, "--seek takes seconds from 0 to 96"},
      {{"--seek", "-1"}, "--seek takes seconds from 0 to 96"},
      {{"--seek=1e1"}, "--seek takes seconds"},
      {{"--seek=0x10"}, "--seek takes seconds"},
      {{"--seek=inf"}, "--seek takes seconds"},
      {{"--seek=nan"}, "--seek takes seconds"},
      {{"--seek=1.2.3"}, "--seek takes seconds"},
      {{"--seek=."}, "--seek takes seconds"},
      {{"--seek=57,5"}, "--seek takes seconds"},
      {{"--seek= 5"}, "--seek takes seconds"},
      {{"--seeking"}, "unknown option '--seeking'"},
      {{"--paused"}, "--paused needs --rehearse"},
      {{"--seek=10", "--paused"}, "--paused needs --rehearse"},
      // A long value comes back cut after 40 characters, never inside one.
      {{kLongSeek.c_str()}, "not '0123456789012345678901234567890123456789...'"},
      {{kLongOption.c_str()}, "unknown option '--" + kManyE.substr(0, 38 * 2) + "...'"},
  };
  for (const auto& c : cases) {
    const CommandLine line = parse(c.arguments);
    EXPECT_EQ(line.action, CommandLine::Action::refuse) << c.arguments.back();
    EXPECT_NE(line.error.find(c.reason), std::string::npos) << c.arguments.back() << ": " << line.error;
  }
}

TEST(CommandLine, HelpNamesEveryOptionAndUsageIsOneLine) {
  const std::string help = commandLineHelp();
  for (const char* option :
       {"--window", "--window=WxH", "--mute", "--seek=SECONDS", "--rehearse", "--paused", "--help", "--version"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  const std::string usage = commandLineUsage();
  EXPECT_EQ(usage.find('\n'), usage.size() - 1);
}
