#include "app/show_startup.h"

#include <cstdio>

#include "platform/platform.h"
#include "render/font.h"
#include "resources/data_controller.h"
#include "resources/listed_files.h"

namespace {

constexpr int kFontPicture = 0;

}  // namespace

std::unique_ptr<DataController> loadShowResources() { return std::make_unique<DataController>(kResourceListName); }

std::unique_ptr<Font> cutShowFont(DataController& data) {
  Picture* fontPicture = data.getPicture(kFontPicture);
  if (fontPicture == nullptr) platform::showMessageBox("Error", kNoFontMessage);
  // Taken before the font releases the picture's pixels.
  const std::string note = fontPicture != nullptr ? fontSizeNote(fontPicturePath(kResourceListName), *fontPicture) : "";
  auto font = std::make_unique<Font>(kShowFontColumns, kShowFontRows, kShowGlyphSide, kShowGlyphSide, fontPicture);
  if (!note.empty()) std::fprintf(stderr, "%s\n", note.c_str());
  return font;
}

std::string fontPicturePath(const char* listPath) {
  for (const resources::ListedFile& file : resources::listedFiles(listPath)) {
    if (file.kind == resources::ListedFile::Kind::picture && file.index == kFontPicture) return file.path;
  }
  return "";
}

std::string fontSizeNote(const std::string& path, const Picture& picture) {
  constexpr int kWidth = kShowFontColumns * kShowGlyphSide;
  constexpr int kHeight = kShowFontRows * kShowGlyphSide;
  if (!picture.image || (picture.image->width >= kWidth && picture.image->height >= kHeight)) return "";
  char text[160];
  std::snprintf(text, sizeof text,
                ": %d \u00D7 %d pixels, smaller than the %d \u00D7 %d that %d \u00D7 %d glyphs of %d pixels need",
                picture.image->width, picture.image->height, kWidth, kHeight, kShowFontColumns, kShowFontRows,
                kShowGlyphSide);
  return (path.empty() ? std::string("the font picture") : path) + text;
}

void endForLackOfMemory() {
  platform::showMessageBox("Error", "Not enough memory to start the show.");
  platform::exitProcess(1);
}
