#include "app/show_startup.h"

#include "platform/platform.h"
#include "render/font.h"
#include "resources/data_controller.h"

namespace {

constexpr int kFontPicture = 0;

}  // namespace

std::unique_ptr<DataController> loadShowResources() { return std::make_unique<DataController>(kResourceListName); }

std::unique_ptr<Font> cutShowFont(DataController& data) {
  Picture* fontPicture = data.getPicture(kFontPicture);
  if (fontPicture == nullptr) platform::showMessageBox("Error", kNoFontMessage);
  return std::make_unique<Font>(kShowFontColumns, kShowFontRows, kShowGlyphSide, kShowGlyphSide, fontPicture);
}

void endForLackOfMemory() {
  platform::showMessageBox("Error", "Not enough memory to start the show.");
  platform::exitProcess(1);
}
