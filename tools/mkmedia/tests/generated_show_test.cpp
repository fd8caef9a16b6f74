// The generator's output as the show reads it: the list, the files it names,
// and that every run writes the same bytes.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "show_fixture.h"
#include "show_writer.h"

namespace mkmedia {
namespace {

using testing::ListedResource;

bool plainName(const std::string& name) {
  for (char c : name) {
    if (!(std::islower(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)))) return false;
  }
  return !name.empty();
}

DecodedImage decodeOrFail(const std::string& path) {
  DecodedImage image;
  EXPECT_TRUE(readJpeg(path, image)) << path;
  EXPECT_EQ(image.components, 3) << path << " must be a colour file";
  return image;
}

TEST(GeneratedShow, ListNamesEveryFileAndTheShapesTheShowNeeds) {
  const std::string show = testing::freshFolder("show");
  ASSERT_TRUE(writeShow(show, 2));

  bool ok = false;
  std::vector<ListedResource> listed = testing::parseResourceList(testing::readFile(show + "/resinfo.rli"), ok);
  ASSERT_TRUE(ok);
  std::vector<ListedResource> pictures, animations;
  for (const ListedResource& r : listed) (r.type == 1 ? pictures : animations).push_back(r);
  ASSERT_EQ(pictures.size(), 17u);
  ASSERT_EQ(animations.size(), 2u);
  EXPECT_EQ(animations[0].frames, 32);
  EXPECT_GE(animations[1].frames, 60);

  std::vector<DecodedImage> decoded;
  for (const ListedResource& p : pictures) {
    EXPECT_TRUE(plainName(p.name)) << p.name;
    EXPECT_LE(p.name.size(), 65u);
    decoded.push_back(decodeOrFail(show + "/data/jpgs/" + p.name + ".jpg"));
  }
  EXPECT_EQ(decoded[0].width, 512);
  EXPECT_EQ(decoded[0].height, 256);
  EXPECT_EQ(decoded[1].width, 640);
  EXPECT_EQ(decoded[1].height, 480);
  for (int sprite : {2, 4}) {
    EXPECT_EQ(decoded[size_t(sprite)].width, decoded[size_t(sprite) + 1].width) << "mask of picture " << sprite;
    EXPECT_EQ(decoded[size_t(sprite)].height, decoded[size_t(sprite) + 1].height) << "mask of picture " << sprite;
    EXPECT_LE(decoded[size_t(sprite)].width, 640);
    EXPECT_LE(decoded[size_t(sprite)].height, 140);
  }
  for (size_t middle = 6; middle < 17; ++middle) {
    EXPECT_LE(decoded[middle].width, 320) << pictures[middle].name;
    EXPECT_LE(decoded[middle].height, 230) << pictures[middle].name;
  }

  for (size_t a = 0; a < animations.size(); ++a) {
    const ListedResource& anim = animations[a];
    EXPECT_TRUE(plainName(anim.name)) << anim.name;
    EXPECT_LE(anim.name.size(), 29u);
    const std::string folder = show + "/data/animations/" + anim.name + "/" + anim.name + " ";
    DecodedImage first = decodeOrFail(folder + "1.jpg");
    for (int i = 2; i <= anim.frames; ++i) {
      DecodedImage frame = decodeOrFail(folder + std::to_string(i) + ".jpg");
      EXPECT_EQ(frame.width, first.width) << anim.name << " frame " << i;
      EXPECT_EQ(frame.height, first.height) << anim.name << " frame " << i;
    }
    EXPECT_FALSE(std::filesystem::exists(folder + std::to_string(anim.frames + 1) + ".jpg"));
    if (a == 0) {
      EXPECT_LE(first.height, 224) << "the title must end above the typed title at row 352";
    }
  }
  std::filesystem::remove_all(show);
}

TEST(GeneratedShow, EveryRunWritesTheSameBytes) {
  // All pictures and a few frames of each animation, once on two workers and
  // once on one: neither the run nor the thread that renders a file may
  // change a byte.
  std::vector<RenderJob> jobs;
  for (const RenderJob& job : renderJobs(showMedia())) {
    const std::string& p = job.path;
    bool picture = p.rfind("data/jpgs/", 0) == 0;
    bool sampleFrame = p.ends_with(" 1.jpg") || p.ends_with(" 32.jpg") || p.ends_with(" 60.jpg");
    if (picture || sampleFrame) jobs.push_back(job);
  }
  ASSERT_GT(jobs.size(), 17u);
  const std::string a = testing::freshFolder("first"), b = testing::freshFolder("second");
  ASSERT_EQ(writeJobs(a, jobs, 2), 0);
  ASSERT_EQ(writeJobs(b, jobs, 1), 0);
  for (const RenderJob& job : jobs) {
    std::string first = testing::readFile(a + "/" + job.path), second = testing::readFile(b + "/" + job.path);
    EXPECT_FALSE(first.empty()) << job.path;
    EXPECT_TRUE(first == second) << job.path << " differs between runs";
  }
  std::filesystem::remove_all(a);
  std::filesystem::remove_all(b);
}

}  // namespace
}  // namespace mkmedia
