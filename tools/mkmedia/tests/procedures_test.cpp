// The building blocks: periodic noise, the list text, looping animations.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "animations.h"
#include "media_plan.h"
#include "noise.h"
#include "show_fixture.h"

namespace mkmedia {
namespace {

TEST(PeriodicNoise, RepeatsExactlyAfterItsPeriodAndStaysInRange) {
  struct Case {
    int periodX, periodY;
    uint32_t seed;
  };
  for (const Case& c : {Case{4, 3, 1}, Case{8, 6, 77}, Case{5, 7, 123456}}) {
    for (float y = -3.3f; y < 4.0f; y += 0.37f) {
      for (float x = -5.1f; x < 6.0f; x += 0.41f) {
        float v = periodicNoise(x, y, c.periodX, c.periodY, c.seed);
        EXPECT_GE(v, 0.0f);
        EXPECT_LE(v, 1.0f);
        EXPECT_NEAR(v, periodicNoise(x + float(c.periodX), y, c.periodX, c.periodY, c.seed), 1e-4f);
        EXPECT_NEAR(v, periodicNoise(x, y - float(c.periodY), c.periodX, c.periodY, c.seed), 1e-4f);
      }
    }
  }
  // Not a constant: different places give different values.
  EXPECT_NE(periodicNoise(0.3f, 0.3f, 4, 3, 1), periodicNoise(1.6f, 2.2f, 4, 3, 1));
}

TEST(SeededRandom, SameSeedSameSequenceOtherSeedOtherSequence) {
  SeededRandom a(42), b(42), c(43);
  int differences = 0;
  for (int i = 0; i < 100; ++i) {
    uint32_t va = a.next();
    EXPECT_EQ(va, b.next());
    if (va != c.next()) ++differences;
  }
  EXPECT_GT(differences, 90);
}

TEST(ResourceList, ReadsAsSeventeenPicturesAndTwoAnimationsInShortLines) {
  ShowMedia media = showMedia();
  std::string text = resourceListText(media);
  bool ok = false;
  std::vector<testing::ListedResource> listed = testing::parseResourceList(text, ok);
  EXPECT_TRUE(ok);
  std::vector<std::string> pictures, animations;
  for (const auto& r : listed) (r.type == 1 ? pictures : animations).push_back(r.name);
  ASSERT_EQ(pictures.size(), media.pictures.size());
  ASSERT_EQ(animations.size(), media.animations.size());
  for (size_t i = 0; i < pictures.size(); ++i) EXPECT_EQ(pictures[i], media.pictures[i].name);
  EXPECT_EQ(listed.back().frames, media.animations.back().frameCount);
  EXPECT_EQ(text.rfind(". ", 0), 0u) << "a comment header comes first";
}

TEST(ResourceList, PathsAreTheOnesTheShowBuilds) {
  EXPECT_EQ(picturePath("font"), "data/jpgs/font.jpg");
  EXPECT_EQ(framePath("greets", 60), "data/animations/greets/greets 60.jpg");
  EXPECT_EQ(framePath("title", 1), "data/animations/title/title 1.jpg");
}

TEST(RenderJobs, OneFilePerPictureAndFrameWithoutDuplicates) {
  ShowMedia media = showMedia();
  std::vector<RenderJob> jobs = renderJobs(media);
  size_t expected = media.pictures.size();
  for (const auto& a : media.animations) expected += size_t(a.frameCount);
  EXPECT_EQ(jobs.size(), expected);
  std::set<std::string> paths;
  for (const RenderJob& job : jobs) paths.insert(job.path);
  EXPECT_EQ(paths.size(), jobs.size());
}

double meanDifference(const Canvas& a, const Canvas& b) {
  double sum = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    const Vec3 &p = a.pixels[i], &q = b.pixels[i];
    sum += std::fabs(p.x - q.x) + std::fabs(p.y - q.y) + std::fabs(p.z - q.z);
  }
  return sum / double(a.pixels.size());
}

// Playing wraps from the last frame to the first: loop position 1 must show
// position 0 again (up to a stray pixel where an edge falls exactly on a
// sample), while neighbouring frames do differ.
template <typename RenderAt>
void expectSeamlessLoop(RenderAt renderAt, int frames) {
  Canvas start = renderAt(0.0f);
  EXPECT_LT(meanDifference(renderAt(1.0f), start), 0.002);
  EXPECT_GT(meanDifference(renderAt(1.0f / float(frames)), start), 0.02) << "the animation does not move";
}

TEST(Animations, TitleLoopsSeamlessly) { expectSeamlessLoop(renderTitleAt, kTitleFrames); }

TEST(Animations, GreetingsLoopSeamlessly) { expectSeamlessLoop(renderGreetsAt, kGreetsFrames); }

TEST(Animations, FramesCountModuloTheirLength) {
  EXPECT_EQ(meanDifference(renderTitleFrame(kTitleFrames + 3), renderTitleFrame(3)), 0.0);
  EXPECT_EQ(meanDifference(renderGreetsFrame(-1), renderGreetsFrame(kGreetsFrames - 1)), 0.0);
}

}  // namespace
}  // namespace mkmedia
