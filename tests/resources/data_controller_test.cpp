#include "resources/data_controller.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>

#include "platform/platform.h"

#include "resources/test_files.h"

using testfiles::literal;
using testfiles::Rgb;

namespace {

// Every picture and animation of these tests, each in a colour of its own so
// that a loaded resource tells which file it came from.
const std::map<std::string, Rgb> kPictureColours = {
    {"font", {250, 20, 20}}, {"sky", {20, 250, 20}}, {".x", {20, 20, 250}}, {std::string(65, 'p'), {200, 200, 20}}};
const std::map<std::string, Rgb> kAnimationColours = {
    {"walk", {120, 20, 200}}, {"run", {20, 200, 120}}, {std::string(29, 'a'), {200, 120, 20}}};

void writeMedia() {
  for (const auto& [name, colour] : kPictureColours)
    testfiles::writeSolidJpeg("data/jpgs/" + name + ".jpg", colour, 8, 8);
  for (const auto& [name, colour] : kAnimationColours) {
    for (int i = 1; i <= 30; ++i) {
      testfiles::writeSolidJpeg("data/animations/" + name + "/" + name + " " + std::to_string(i) + ".jpg", colour, 8,
                                8);
    }
  }
}

struct Expected {
  std::vector<std::string> pictures;
  std::vector<std::pair<std::string, int32_t>> animations;  // name, frame count
  std::vector<int32_t> pictureIndices, animationIndices;
};

TEST(DataController, ReadsResourcesAcrossLines) {
  testfiles::ScratchDir scratch;
  writeMedia();
  struct Case {
    std::string list;
    Expected expected;
  };
  const Case cases[] = {
      {"", {}},
      {". only\n\n. comments\n", {}},
      {". pictures first\nfont 1\n\nwalk 2 12\nsky 1\n", {{"font", "sky"}, {{"walk", 12}}, {0, 2}, {1}}},
      {"walk 2 30\nrun 2\n", {{}, {{"walk", 30}, {"run", 30}}, {}, {0, 1}}},
      {"walk 2 3\nwalk\n   \n", {{}, {{"walk", 3}, {"walk", 3}, {"walk", 3}}, {}, {0, 1, 2}}},
      {"sky 1 99 trailing words\r\n.c\r\n\r\nfont 1", {{"sky", "font"}, {}, {0, 1}, {}}},
      {" .x 1\n", {{".x"}, {}, {0}, {}}},
      {std::string(65, 'p') + " 1\n" + std::string(29, 'a') + " 2 2\n",
       {{std::string(65, 'p')}, {{std::string(29, 'a'), 2}}, {0}, {1}}},
      // A UTF-8 byte-order mark at the very start belongs to no line, and
      // does not count towards the first line's 79 characters.
      {"\xEF\xBB\xBF. saved by an editor that marks UTF-8\nfont 1\n", {{"font"}, {}, {0}, {}}},
      {"\xEF\xBB\xBF"
       "font 1\nsky 1\n",
       {{"font", "sky"}, {}, {0, 1}, {}}},
      {"\xEF\xBB\xBF" + std::string(65, 'p') + " 1" + std::string(12, ' ') + "\n",
       {{std::string(65, 'p')}, {}, {0}, {}}},
      {"\xEF\xBB\xBF", {}},
  };
  for (const Case& c : cases) {
    testfiles::writeText("list.rli", c.list);
    DataController data("list.rli");
    ASSERT_EQ(data.pictures.size(), c.expected.pictures.size()) << c.list;
    ASSERT_EQ(data.animations.size(), c.expected.animations.size()) << c.list;
    for (size_t i = 0; i < data.pictures.size(); ++i) {
      const Picture* picture = data.getPicture(static_cast<int32_t>(i));
      ASSERT_TRUE(picture != nullptr && picture->image);
      EXPECT_TRUE(testfiles::closeTo(picture->image->pixels.data(), kPictureColours.at(c.expected.pictures[i])));
      EXPECT_EQ(picture->resourceIndex, c.expected.pictureIndices[i]) << c.list;
    }
    for (size_t i = 0; i < data.animations.size(); ++i) {
      const auto& [name, frames] = c.expected.animations[i];
      Animation* animation = data.getAnimation(static_cast<int32_t>(i));
      ASSERT_NE(animation, nullptr);
      EXPECT_EQ(animation->frameCount, frames) << c.list;
      EXPECT_EQ(animation->resourceIndex, c.expected.animationIndices[i]) << c.list;
      const Picture* last = data.getAnimationFrame(static_cast<int32_t>(i), frames - 1);
      ASSERT_NE(last, nullptr);
      EXPECT_TRUE(testfiles::closeTo(last->image->pixels.data(), kAnimationColours.at(name)));
    }
  }
}

TEST(DataController, LookupsOutsideTheListsGiveNothing) {
  testfiles::ScratchDir scratch;
  writeMedia();
  testfiles::writeText("list.rli", "sky 1\nwalk 2 12\n");
  DataController data("list.rli");
  EXPECT_NE(data.getPicture(0), nullptr);
  EXPECT_EQ(data.getAnimationFrame(0, 11), &data.animations[0]->frames[11]);
  for (int32_t index : {1, -1}) {
    EXPECT_EQ(data.getPicture(index), nullptr);
    EXPECT_EQ(data.getAnimation(index), nullptr);
    EXPECT_EQ(data.getAnimationFrame(index, 0), nullptr);
  }
  // The closing scene asks for frame 59 whatever the animation holds.
  for (int32_t frame : {12, 59, -1}) EXPECT_EQ(data.getAnimationFrame(0, frame), nullptr) << frame;
}

TEST(DataControllerDeathTest, EveryListErrorNamesItsLineAndExitsWithOne) {
  testfiles::ScratchDir scratch;
  writeMedia();
  const std::string resfile = " in the resfile list.rli. ";
  const std::string syntax = "Error: Syntax error in resourcetype field at line ";
  const std::string tail = " in file list.rli. ";
  struct Case {
    std::string list;
    std::string message;
  };
  const Case cases[] = {
      {". c\n\nsea 3\n", syntax + "3" + tail + "3 found, expected 1 or 2"},
      {"sea 0\n", syntax + "1" + tail + "0 found, expected 1 or 2"},
      {"sea -1\n", syntax + "1" + tail + "-1 found, expected 1 or 2"},
      {"sea\n", syntax + "1" + tail + "0 found"},
      {"font 1\nsky 1\nsea\n", syntax + "3" + tail + "0 found"},
      {"font 1\n   \n", syntax + "2" + tail + "0 found"},
      {"font 1\nnope 1\n", "Error: Couldn't load the image data/jpgs/nope.jpg.\nError: Error loading image at line 2" +
                               resfile + "Invalid path, or too many animation frames specified."},
      {"walk 2 31\n",
       "Couldn't load the image data/animations/walk/walk 31.jpg.\nError: Error loading animation at "
       "line 1" +
           resfile},
      {"walk 2 0\n", "Error: Error loading animation at line 1" + resfile},
      {"font 1\n" + std::string(80, '.') + "\n", "Error: Line 2 in the resfile list.rli is longer than 79 characters."},
      {". c\n" + std::string(66, 'p') + " 1\n", "Error: Name too long at line 2" + resfile},
      {std::string(30, 'a') + " 2 1\n", "Error: Name too long at line 1" + resfile},
      // Only the very start of the list may hold a byte-order mark.
      {"font 1\n\xEF\xBB\xBFsky 1\n", "Error: Couldn't load the image data/jpgs/\xEF\xBB\xBFsky.jpg."},
      {"\xEF\xBB\xBF\xEF\xBB\xBF"
       "font 1\n",
       "Error: Couldn't load the image data/jpgs/\xEF\xBB\xBF"
       "font.jpg."},
      {"\xEF\xBB"
       "font 1\n",
       "Error: Couldn't load the image data/jpgs/\xEF\xBB"
       "font.jpg."},
  };
  for (const Case& c : cases) {
    testfiles::writeText("list.rli", c.list);
    EXPECT_EXIT(DataController("list.rli"), testing::ExitedWithCode(1), literal(c.message)) << c.list;
  }
  EXPECT_EXIT(DataController("missing.rli"), testing::ExitedWithCode(1),
              "^" + literal("Error: Couldn't open DataController file!\n") + "$");
}

TEST(DataControllerDeathTest, AListThatIsNoRegularFileOrTooLargeIsRefused) {
  testfiles::ScratchDir scratch;
  std::filesystem::create_directory("folder.rli");
  EXPECT_EXIT(DataController("folder.rli"), testing::ExitedWithCode(1),
              "^" + literal("Error: Couldn't open DataController file!\n") + "$");
  EXPECT_EXIT(DataController("/dev/zero"), testing::ExitedWithCode(1),
              "^" + literal("Error: Couldn't open DataController file!\n") + "$");
  // Blank lines are valid list content: only the size refuses this one.
  testfiles::writeText("large.rli", std::string((1 << 20) + 1, '\n'));
  EXPECT_EXIT(DataController("large.rli"), testing::ExitedWithCode(1),
              "^" +
                  literal("Error: The resfile large.rli is larger than 1048576 bytes, the most a resource list "
                          "may hold.\n") +
                  "$");
  testfiles::writeText("largest.rli", std::string(1 << 20, '\n'));
  EXPECT_EXIT(
      {
        DataController("largest.rli");
        std::exit(7);
      },
      testing::ExitedWithCode(7), "");
}

// Harnesses go on after a list error: the exit becomes an exception, and the
// list and the pictures read so far are closed and freed on the way out.
struct InterceptedExit {
  int code;
};

int openDescriptors() {
  return static_cast<int>(
      std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator()));
}

TEST(DataController, AnInterceptedExitLeavesNothingOpen) {
  testfiles::ScratchDir scratch;
  writeMedia();
  platform::interceptExit([](int code) { throw InterceptedExit{code}; });
  const int before = openDescriptors();
  const std::string lists[] = {"font 1\nsky 1\nnope 1\n", "font 1\nsea 9\n", "walk 2 3\n" + std::string(90, 'x')};
  for (const std::string& list : lists) {
    testfiles::writeText("list.rli", list);
    testing::internal::CaptureStderr();
    try {
      DataController controller("list.rli");
      ADD_FAILURE() << "no error for " << list;
    } catch (const InterceptedExit& exit) {
      EXPECT_EQ(exit.code, 1);
    }
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Error: "), std::string::npos);
    EXPECT_EQ(openDescriptors(), before) << list;
  }
  platform::interceptExit(nullptr);
}

}  // namespace
