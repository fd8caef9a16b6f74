// Reloading while the show runs: a changed file is noticed, a broken one
// leaves the last good media in place and says what the show's message box
// would have said, and the program goes on.
#include "app/media_reload.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/media_watch.h"
#include "app/rehearsal.h"
#include "app/show_engine.h"
#include "generated_show.h"
#include "music/soundtrack.h"
#include "render/screen.h"
#include "render/show_state.h"
#include "resources/listed_files.h"
#include "script/scene.h"
#include "script/scene_marks.h"

namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

// A copy of the generated show to change files in, entered for the test.
class ShowCopy : public testing::Test {
 protected:
  void SetUp() override {
    before_ = fs::current_path();
    dir_ = fs::path(testing::TempDir()) / ("reload-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::copy(PIXELFOLK_SHOW_DIR, dir_, fs::copy_options::recursive);
    fs::remove(dir_ / "pixelfolk");
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(before_);
    fs::remove_all(dir_);
  }
  fs::path before_;
  fs::path dir_;
};

std::string picturePath(int picture) {
  for (const resources::ListedFile& file : resources::listedFiles("resinfo.rli")) {
    if (file.kind == resources::ListedFile::Kind::picture && file.index == picture) return file.path;
  }
  return "";
}

TEST_F(ShowCopy, PictureReplacedThenBrokenThenMended) {
  ShowMedia media;
  std::vector<std::string> messages;
  ASSERT_TRUE(loadShowMedia("resinfo.rli", &media, &messages));
  MediaWatch watch("resinfo.rli", "demo.xm");
  EXPECT_FALSE(watch.poll().media());

  // The opening at 20 s shows one of the middle pictures: that one is replaced.
  generatedshow::Show& show = generatedshow::show();
  ShowEngine engine(*media.data, *media.font, show.timeline);
  Rehearsal rehearsal(engine, sceneMarks(show.timeline), Rehearsal::Settings{20.0, RunKind::rehearsal, true});
  rehearsal.pass();
  const std::vector<uint32_t> original(Screen::pixels, Screen::pixels + Screen::pixelCount);
  const int shown = showState.shownPictureIndex;
  const std::string path = picturePath(shown);
  const std::string other = picturePath(shown == 6 ? 7 : 6);
  ASSERT_FALSE(path.empty());
  const std::string good = readBytes(path);

  // Replaced: the new picture is drawn at the same show time.
  writeBytes(path, readBytes(other));
  MediaWatch::Changes changes = watch.poll();
  ASSERT_EQ(changes.files.size(), 1u);
  EXPECT_EQ(changes.files[0].path, path);
  EXPECT_FALSE(changes.list);
  const DataController* before = media.data.get();
  ASSERT_TRUE(reloadChanges("resinfo.rli", changes, &media, &messages));
  EXPECT_EQ(media.data.get(), before) << "only the picture was loaded again";
  EXPECT_TRUE(messages.empty());
  engine.useMedia(*media.data, *media.font);
  rehearsal.redraw();
  EXPECT_TRUE(rehearsal.pass().drew);
  EXPECT_EQ(rehearsal.showTime(), 20.0);
  const std::vector<uint32_t> withReplacement(Screen::pixels, Screen::pixels + Screen::pixelCount);
  EXPECT_NE(withReplacement, original);
  EXPECT_EQ(media.data->getPicture(shown)->image->pixels, media.data->getPicture(shown == 6 ? 7 : 6)->image->pixels);
  EXPECT_FALSE(watch.poll().media()) << "one change, one reload";

  // Broken: no load, the box's text instead, and the media in use untouched.
  writeBytes(path, "this is no picture");
  changes = watch.poll();
  ASSERT_TRUE(changes.media());
  EXPECT_FALSE(reloadChanges("resinfo.rli", changes, &media, &messages));
  EXPECT_EQ(media.data.get(), before);
  ASSERT_FALSE(messages.empty());
  std::string all;
  for (const std::string& m : messages) all += m + "\n";
  EXPECT_NE(all.find(path), std::string::npos) << all;
  rehearsal.redraw();
  EXPECT_TRUE(rehearsal.pass().drew);
  EXPECT_EQ(std::vector<uint32_t>(Screen::pixels, Screen::pixels + Screen::pixelCount), withReplacement);

  // Mended: the picture as it was.
  writeBytes(path, good);
  changes = watch.poll();
  ASSERT_TRUE(changes.media());
  ASSERT_TRUE(reloadChanges("resinfo.rli", changes, &media, &messages));
  engine.useMedia(*media.data, *media.font);
  rehearsal.redraw();
  EXPECT_TRUE(rehearsal.pass().drew);
  EXPECT_EQ(std::vector<uint32_t>(Screen::pixels, Screen::pixels + Screen::pixelCount), original);
}

// The font sheet is picture 0: a new one is cut again.
TEST_F(ShowCopy, ANewFontSheetIsCutAgain) {
  ShowMedia media;
  std::vector<std::string> messages;
  ASSERT_TRUE(loadShowMedia("resinfo.rli", &media, &messages));
  MediaWatch watch("resinfo.rli", "demo.xm");
  const std::string sheet = picturePath(0);
  const std::string good = readBytes(sheet);
  writeBytes(sheet, readBytes(picturePath(1)));  // the background: as large, other glyphs
  const Font* before = media.font.get();
  ASSERT_TRUE(reloadChanges("resinfo.rli", watch.poll(), &media, &messages));
  ASSERT_NE(media.font.get(), before);
  ShowMedia fresh;
  ASSERT_TRUE(loadShowMedia("resinfo.rli", &fresh, &messages));
  ASSERT_EQ(media.font->glyphs.size(), fresh.font->glyphs.size());
  for (size_t g = 0; g < fresh.font->glyphs.size(); ++g) {
    ASSERT_TRUE(
        std::equal(fresh.font->glyphs[g].get(), fresh.font->glyphs[g].get() + 32 * 32, media.font->glyphs[g].get()))
        << g;
  }
  // Too small a sheet cannot be cut: the message, and the font stays.
  writeBytes(sheet, readBytes(picturePath(6)));
  const Font* cut = media.font.get();
  EXPECT_FALSE(reloadChanges("resinfo.rli", watch.poll(), &media, &messages));
  EXPECT_EQ(media.font.get(), cut);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "The bitmap doesn't fit with the given criteria!");
  writeBytes(sheet, good);
}

TEST_F(ShowCopy, ListAndMusicChangesAreNoticedAndBadOnesReported) {
  MediaWatch watch("resinfo.rli", "demo.xm");
  std::vector<std::string> messages;
  ShowMedia media;

  // A list that names a picture that is not there.
  const std::string list = readBytes("resinfo.rli");
  writeBytes("resinfo.rli", list + "nosuchpicture 1\n");
  MediaWatch::Changes changes = watch.poll();
  EXPECT_TRUE(changes.list);
  EXPECT_FALSE(changes.music);
  EXPECT_FALSE(reloadChanges("resinfo.rli", changes, &media, &messages));
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages.front().find("data/jpgs/nosuchpicture.jpg"), std::string::npos) << messages.front();

  // A new animation frame file the mended list names is watched from then on.
  writeBytes("resinfo.rli", list);
  changes = watch.poll();
  EXPECT_TRUE(changes.list);
  EXPECT_TRUE(reloadChanges("resinfo.rli", changes, &media, &messages));
  const std::vector<resources::ListedFile> files = resources::listedFiles("resinfo.rli");
  ASSERT_FALSE(files.empty());
  ASSERT_EQ(files.back().kind, resources::ListedFile::Kind::animationFrame);
  std::ofstream(files.back().path, std::ios::app) << ' ';
  changes = watch.poll();
  ASSERT_EQ(changes.files.size(), 1u) << files.back().path;
  EXPECT_EQ(changes.files[0].index, 1);
  EXPECT_EQ(changes.files[0].frame, media.data->getAnimation(1)->frameCount - 1);

  // A module that does not load.
  const std::string module = readBytes("demo.xm");
  writeBytes("demo.xm", "no module");
  changes = watch.poll();
  EXPECT_TRUE(changes.music);
  EXPECT_FALSE(changes.media());
  Soundtrack soundtrack;
  std::string message;
  EXPECT_FALSE(loadSoundtrack("demo.xm", 44100, &soundtrack, &message));
  EXPECT_EQ(message.rfind("Music file \"demo.xm\" not loaded: ", 0), 0u) << message;
  writeBytes("demo.xm", module);
  EXPECT_TRUE(watch.poll().music);
  EXPECT_TRUE(loadSoundtrack("demo.xm", 44100, &soundtrack, &message));
  EXPECT_EQ(soundtrack.timeline.triggers.size(), generatedshow::show().timeline.triggers.size());
  EXPECT_EQ(soundtrack.samples, generatedshow::show().samples);
}

}  // namespace
