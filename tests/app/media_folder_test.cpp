#include "app/media_folder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const MediaPlaces kInstalled{"/home/ann/music", "/usr/bin/pixelfolk", "/src/pixelfolk/build",
                             "/src/pixelfolk/build/show"};
const MediaPlaces kBuilt{"/home/ann", "/src/pixelfolk/build/show/pixelfolk", "/src/pixelfolk/build",
                         "/src/pixelfolk/build/show"};

using Folders = std::vector<std::string>;

}  // namespace

TEST(MediaFolder, CandidatesInOrder) {
  const struct {
    const char* what;
    MediaPlaces places;
    Folders folders;
  } cases[] = {
      {"installed", kInstalled, {"/home/ann/music", "/usr/share/pixelfolk"}},
      {"the capture tool in the build tree",
       {"/tmp", "/src/pixelfolk/build/pixelfolk-capture", "/src/pixelfolk/build", "/src/pixelfolk/build/show"},
       {"/tmp", "/src/pixelfolk/share/pixelfolk", "/src/pixelfolk/build/show"}},
      {"the show in the build tree",
       kBuilt,
       {"/home/ann", "/src/pixelfolk/build/share/pixelfolk", "/src/pixelfolk/build/show"}},
      // A prefix of the build folder's name is not the build folder.
      {"beside the build tree",
       {"/", "/src/pixelfolk/build-other/bin/pixelfolk", "/src/pixelfolk/build", "/src/pixelfolk/build/show"},
       {"/", "/src/pixelfolk/build-other/share/pixelfolk"}},
      {"working directory without a name", {"", "/opt/pf/bin/pixelfolk", "", ""}, {".", "/opt/pf/share/pixelfolk"}},
      {"executable unknown", {"/home/ann", "", "/src/pixelfolk/build", "/src/pixelfolk/build/show"}, {"/home/ann"}},
      {"started in the data folder", {"/usr/share/pixelfolk/", "/usr/bin/pixelfolk", "", ""}, {"/usr/share/pixelfolk"}},
      {"installed into the root", {"/home", "/bin/pixelfolk", "", ""}, {"/home", "/share/pixelfolk"}},
      // A program unpacked as one folder (the Windows zip) keeps its media beside it.
      {"unpacked folder", {"/home/ann", "/games/pf/pixelfolk.exe", "", "", true}, {"/home/ann", "/games/pf"}},
      {"started in the unpacked folder", {"/games/pf", "/games/pf/pixelfolk.exe", "", "", true}, {"/games/pf"}},
      {"unpacked into the root", {"/home", "/pixelfolk.exe", "", "", true}, {"/home", "/"}},
  };
  for (const auto& c : cases) EXPECT_EQ(mediaFolderCandidates(c.places), c.folders) << c.what;
}

TEST(MediaFolder, TheFirstFolderHoldingTheListWins) {
  const struct {
    const char* what;
    MediaPlaces places;
    std::set<std::string> files;   // regular files
    std::set<std::string> others;  // directories, FIFOs, dangling links
    bool found;
    std::string folder;
    bool workingDirectory;
  } cases[] = {
      {"working directory over the installed data",
       kInstalled,
       {"/home/ann/music/resinfo.rli", "/usr/share/pixelfolk/resinfo.rli"},
       {},
       true,
       "/home/ann/music",
       true},
      {"installed data", kInstalled, {"/usr/share/pixelfolk/resinfo.rli"}, {}, true, "/usr/share/pixelfolk", false},
      {"built show", kBuilt, {"/src/pixelfolk/build/show/resinfo.rli"}, {}, true, "/src/pixelfolk/build/show", false},
      {"beside the executable",
       {"/home/ann", "/games/pf/pixelfolk.exe", "", "", true},
       {"/games/pf/resinfo.rli", "/games/share/pixelfolk/resinfo.rli"},
       {},
       true,
       "/games/pf",
       false},
      // Only the list decides; media without it are not a show.
      {"nothing", kInstalled, {"/home/ann/music/demo.xm", "/usr/share/pixelfolk/data"}, {}, false, "", false},
      // A damaged list of the user's own is read, and its fault reported...
      {"a directory named like the list in the working directory",
       kInstalled,
       {"/usr/share/pixelfolk/resinfo.rli"},
       {"/home/ann/music/resinfo.rli"},
       true,
       "/home/ann/music",
       true},
      // ...but elsewhere only a regular file makes a show folder.
      {"a directory named like the list in the data folder",
       kInstalled,
       {},
       {"/usr/share/pixelfolk/resinfo.rli"},
       false,
       "",
       false},
  };
  for (const auto& c : cases) {
    std::vector<std::string> asked;
    const MediaChoice choice = chooseMediaFolder(
        c.places,
        [&](const std::string& path) {
          asked.push_back(path);
          return c.files.count(path) != 0;
        },
        [&](const std::string& path) {
          asked.push_back(path);
          return c.files.count(path) != 0 || c.others.count(path) != 0;
        });
    EXPECT_EQ(choice.found, c.found) << c.what;
    EXPECT_EQ(choice.folder, c.folder) << c.what;
    EXPECT_EQ(choice.workingDirectory, c.workingDirectory) << c.what;
    EXPECT_EQ(choice.lookedIn, mediaFolderCandidates(c.places)) << c.what;
    ASSERT_FALSE(asked.empty()) << c.what;
    EXPECT_EQ(asked.front(), choice.lookedIn.front() + "/resinfo.rli") << c.what;
  }
}

TEST(MediaFolder, NotFoundMessageNamesEveryFolderLookedIn) {
  const struct {
    Folders lookedIn;
    const char* message;
  } cases[] = {
      {{"/a"}, "Couldn't find resinfo.rli in /a."},
      {{"/a", "/usr/share/pixelfolk"}, "Couldn't find resinfo.rli in /a or /usr/share/pixelfolk."},
      {{"/a", "/b", "/c"}, "Couldn't find resinfo.rli in /a, /b or /c."},
  };
  for (const auto& c : cases) {
    MediaChoice choice;
    choice.lookedIn = c.lookedIn;
    EXPECT_EQ(mediaNotFoundMessage(choice), c.message);
  }
}
