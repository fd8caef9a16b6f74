// Everything the show reads besides its music: which pictures and animations
// exist, in which order, how each is rendered and how well it is compressed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "canvas.h"

namespace mkmedia {

struct PictureResource {
  std::string name;
  std::string comment;  // written above the picture's line in the list, if any
  int quality = 95;     // JPEG quality
  std::function<Canvas()> render;
};

struct AnimationResource {
  std::string name;
  std::string comment;
  int frameCount = 0;
  int quality = 92;
  std::function<Canvas(int frame)> render;  // frame from 0
};

struct ShowMedia {
  std::vector<PictureResource> pictures;      // position in the list = picture number
  std::vector<AnimationResource> animations;  // position = animation number
};

ShowMedia showMedia();

// The resource list, as a user would write it: "." comment header, then one
// "name 1" or "name 2 count" line per resource.
std::string resourceListText(const ShowMedia& media);

// Paths relative to the show folder, as the reader builds them.
std::string picturePath(const std::string& name);
std::string framePath(const std::string& name, int frameNumber);  // frameNumber from 1

// One file to render and encode.
struct RenderJob {
  std::string path;  // relative to the show folder
  int quality = 95;
  std::function<Canvas()> render;
};

std::vector<RenderJob> renderJobs(const ShowMedia& media);

}  // namespace mkmedia
