#include "app/media_reload.h"

#include <new>

#include "app/show_startup.h"
#include "resources/error_message.h"

std::unique_ptr<Font> cutFontFrom(const std::string& path, Picture* picture, std::vector<std::string>* messages) {
  if (picture == nullptr || !picture->image) {
    *messages = {kNoFontMessage};
    return nullptr;
  }
  const std::string note = fontSizeNote(path, *picture);
  if (!note.empty()) {
    *messages = {kFontDoesNotFitMessage, note};
    return nullptr;
  }
  return std::make_unique<Font>(kShowFontColumns, kShowFontRows, kShowGlyphSide, kShowGlyphSide, picture);
}

bool loadShowMedia(const char* listPath, ShowMedia* media, std::vector<std::string>* messages) {
  ShowMedia loaded;
  {
    const resources::ErrorCollector errors;
    try {
      loaded.data = std::make_unique<DataController>(listPath);
    } catch (const resources::LoadFailed&) {
      *messages = errors.messages();
      return false;
    } catch (const std::bad_alloc&) {
      *messages = {"Not enough memory to load the media."};
      return false;
    }
  }
  loaded.font = cutFontFrom(fontPicturePath(listPath), loaded.data->getPicture(0), messages);
  if (!loaded.font) return false;
  *media = std::move(loaded);
  messages->clear();
  return true;
}
