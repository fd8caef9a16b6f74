// The resource list's bytes through DataController, in a folder holding a few
// pictures and one animation the list may name: font, sky, walk (3 frames).
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "imageio/jpeg_writer.h"
#include "resources/data_controller.h"

namespace {

void writePicture(const char* path, int width, int height, uint8_t shade) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(shade + i % 7);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  imageio::writeJpeg(path, width, height, rgb.data(), {80, false});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The list names its files relative to the working directory, so this
  // harness works inside its own folder: give it absolute corpus paths.
  std::filesystem::current_path(fuzzing::setUpHarness("resource-list"));
  writePicture("data/jpgs/font.jpg", 64, 32, 10);
  writePicture("data/jpgs/sky.jpg", 40, 30, 90);
  for (int i = 1; i <= 3; ++i) {
    writePicture(("data/animations/walk/walk " + std::to_string(i) + ".jpg").c_str(), 8, 8, static_cast<uint8_t>(i));
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzzing::writeFile("resinfo.rli", data, size)) return 0;
  try {
    DataController controller("resinfo.rli");
    // What the scene asks of it: every position, in and out of range.
    for (int32_t i = -1; i <= static_cast<int32_t>(controller.pictures.size()); ++i) controller.getPicture(i);
    for (int32_t i = -1; i <= static_cast<int32_t>(controller.animations.size()); ++i) {
      for (int32_t frame = -1; frame <= 4; ++frame) controller.getAnimationFrame(i, frame);
    }
  } catch (const fuzzing::ProgramExit&) {
  }
  return 0;
}
