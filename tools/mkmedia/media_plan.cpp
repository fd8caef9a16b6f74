#include "media_plan.h"

#include "animations.h"
#include "background.h"
#include "font_sheet.h"
#include "middle_pictures.h"
#include "sprites.h"

namespace mkmedia {

namespace {

// The font is stencilled at a threshold: keep ringing far below it. Masks
// must stay two-level so that the colour key at 20 follows the outline.
constexpr int kSheetQuality = 100;
constexpr int kMaskQuality = 100;
constexpr int kSpriteQuality = 94;
constexpr int kKeyedQuality = 95;
constexpr int kBackdropQuality = 90;
constexpr int kAnimationQuality = 90;

PictureResource picture(std::string name, std::string comment, int quality, std::function<Canvas()> render) {
  return PictureResource{std::move(name), std::move(comment), quality, std::move(render)};
}

}  // namespace

ShowMedia showMedia() {
  ShowMedia media;
  media.pictures = {
      picture("font", "picture 0: font sheet, 16 x 8 cells of 32 x 32, codes 32 to 159", kSheetQuality, makeFontSheet),
      picture("backdrop", "picture 1: scrolling background, 640 x 480, wraps both ways", kBackdropQuality,
              makeBackdrop),
      picture("dancefloor", "pictures 2 and 3: lower sprite and its mask", kSpriteQuality,
              [] { return makeDanceFloor().sprite; }),
      picture("dancefloormask", "", kMaskQuality, [] { return makeDanceFloor().mask; }),
      picture("logo", "pictures 4 and 5: upper sprite and its mask", kSpriteQuality, [] { return makeLogo().sprite; }),
      picture("logomask", "", kMaskQuality, [] { return makeLogo().mask; }),
      picture("discoball", "pictures 6 to 16: shown in turn in the middle, keyed on black", kKeyedQuality,
              makeDiscoBall),
      picture("torus", "", kKeyedQuality, makeTorus),
      picture("mandelbrot", "", kKeyedQuality, makeMandelbrot),
      picture("julia", "", kKeyedQuality, makeJulia),
      picture("sun", "", kKeyedQuality, makeSun),
      picture("ringplanet", "", kKeyedQuality, makeRingPlanet),
      picture("galaxy", "", kKeyedQuality, makeGalaxy),
      picture("crystal", "", kKeyedQuality, makeCrystal),
      picture("heart", "", kKeyedQuality, makeHeart),
      picture("glenzcube", "", kKeyedQuality, makeGlenzCube),
      picture("pixeldancer", "", kKeyedQuality, makePixelDancer),
  };
  media.animations = {
      AnimationResource{"title", "animation 0: title, loops at 10 frames per second", kTitleFrames, kAnimationQuality,
                        renderTitleFrame},
      AnimationResource{"greets", "animation 1: greetings; frame 60 is also the closing still", kGreetsFrames,
                        kAnimationQuality, renderGreetsFrame},
  };
  return media;
}

std::string picturePath(const std::string& name) { return "data/jpgs/" + name + ".jpg"; }

std::string framePath(const std::string& name, int frameNumber) {
  return "data/animations/" + name + "/" + name + " " + std::to_string(frameNumber) + ".jpg";
}

std::string resourceListText(const ShowMedia& media) {
  std::string text =
      ". Pixelfolk enjoy dance! resource list\n"
      ". name type [frames]   type 1: picture  data/jpgs/NAME.jpg\n"
      ".                      type 2: animation  data/animations/NAME/NAME i.jpg\n"
      ". Pictures and animations are numbered apart, from 0, in list order.\n"
      "\n";
  for (const PictureResource& p : media.pictures) {
    if (!p.comment.empty()) text += ". " + p.comment + "\n";
    text += p.name + " 1\n";
  }
  text += "\n";
  for (const AnimationResource& a : media.animations) {
    if (!a.comment.empty()) text += ". " + a.comment + "\n";
    text += a.name + " 2 " + std::to_string(a.frameCount) + "\n";
  }
  return text;
}

std::vector<RenderJob> renderJobs(const ShowMedia& media) {
  std::vector<RenderJob> jobs;
  for (const PictureResource& p : media.pictures) jobs.push_back({picturePath(p.name), p.quality, p.render});
  for (const AnimationResource& a : media.animations) {
    for (int f = 0; f < a.frameCount; ++f) {
      auto render = a.render;
      jobs.push_back({framePath(a.name, f + 1), a.quality, [render, f] { return render(f); }});
    }
  }
  return jobs;
}

}  // namespace mkmedia
