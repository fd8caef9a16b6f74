#include "resources/animation.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "resources/error_message.h"

namespace {

constexpr size_t kExtensionLength = 4;  // ".jpg"

}  // namespace

Animation::Animation(const char* path, int32_t count, int32_t index) : frameCount(count), resourceIndex(index) {
  framePath[0] = '\0';
  if (frameCount < 1 || path == nullptr) return;

  const size_t pathLength = std::strlen(path);
  const std::string base(path, pathLength > kExtensionLength ? pathLength - kExtensionLength : 0);

  // Frames are gathered one by one, so a count far beyond the files on disk
  // costs nothing before the first missing frame stops the loading.
  std::vector<Picture> loaded;
  for (int32_t i = 1; i <= frameCount; ++i) {
    const int length = std::snprintf(framePath, sizeof framePath, "%s %i.jpg", base.c_str(), i);
    if (length < 0 || static_cast<size_t>(length) >= sizeof framePath) {
      // A cut name would open some other file, or none: report the whole one.
      resources::showError("Couldn't load the image %s %i.jpg.", base.c_str(), i);
      return;
    }
    Picture& frame = loaded.emplace_back();
    frame.load(framePath, i);
    if (!frame.image) return;
  }

  frames = std::make_unique<Picture[]>(static_cast<size_t>(frameCount));
  for (int32_t i = 0; i < frameCount; ++i) frames[i] = std::move(loaded[static_cast<size_t>(i)]);
}

void Animation::rewind() {
  frameRate = kStartRate;
  position = 0.0f;
}

void Animation::setRate(int32_t rate) {
  if (rate >= 1 && rate <= frameCount) frameRate = static_cast<float>(rate);
}

void Animation::play(int32_t x, int32_t y, double delta) {
  position = static_cast<float>(static_cast<double>(position) + static_cast<double>(frameRate) * delta);
  // Past the end playback starts over; a position below 0 (a negative step)
  // or not a number would select no frame at all, so it starts over too.
  if (!(position >= 0.0f && static_cast<double>(position) < frameCount)) position = 0.0f;
  if (!frames || frameCount < 1) return;
  frames[static_cast<int32_t>(position)].drawOpaque(x, y);
}

bool Animation::everyFrameCoversScreen(int32_t x, int32_t y) const {
  if (!frames || frameCount < 1) return false;
  for (int32_t i = 0; i < frameCount; ++i) {
    if (!frames[i].coversScreen(x, y)) return false;
  }
  return true;
}
