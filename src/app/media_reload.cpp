#include "app/media_reload.h"

#include <new>

#include "app/show_startup.h"
#include "resources/error_message.h"
#include "resources/listed_files.h"

namespace {

// The font cut from picture 0, or nothing when the picture cannot be cut;
// the font would show its own boxes for that.
std::unique_ptr<Font> cutFont(Picture* picture, std::vector<std::string>* messages) {
  if (picture == nullptr || !picture->image) {
    *messages = {kNoFontMessage};
    return nullptr;
  }
  if (picture->image->width < kShowFontColumns * kShowGlyphSide ||
      picture->image->height < kShowFontRows * kShowGlyphSide) {
    *messages = {kFontDoesNotFitMessage};
    return nullptr;
  }
  return std::make_unique<Font>(kShowFontColumns, kShowFontRows, kShowGlyphSide, kShowGlyphSide, picture);
}

}  // namespace

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
  loaded.font = cutFont(loaded.data->getPicture(0), messages);
  if (!loaded.font) return false;
  *media = std::move(loaded);
  messages->clear();
  return true;
}

bool reloadFiles(const std::vector<resources::ListedFile>& files, ShowMedia* media) {
  using Kind = resources::ListedFile::Kind;
  struct Loaded {
    Picture* target;
    Picture picture;
  };
  std::vector<Loaded> loaded;
  std::unique_ptr<Font> font;
  const resources::ErrorCollector errors;
  try {
    for (const resources::ListedFile& file : files) {
      Picture* target = file.kind == Kind::picture          ? media->data->getPicture(file.index)
                        : file.kind == Kind::animationFrame ? media->data->getAnimationFrame(file.index, file.frame)
                                                            : nullptr;
      if (target == nullptr) return false;
      Loaded& fresh = loaded.emplace_back(Loaded{target, Picture()});
      fresh.picture.load(file.path.c_str(), target->resourceIndex);
      if (!fresh.picture.image) return false;
      if (file.kind == Kind::picture && file.index == 0) {
        std::vector<std::string> messages;
        font = cutFont(&fresh.picture, &messages);
        if (!font) return false;
      }
    }
  } catch (const resources::LoadFailed&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (Loaded& fresh : loaded) *fresh.target = std::move(fresh.picture);
  if (font) media->font = std::move(font);
  return true;
}

bool reloadChanges(const char* listPath, const MediaWatch::Changes& changes, ShowMedia* media,
                   std::vector<std::string>* messages) {
  messages->clear();
  if (!changes.list && reloadFiles(changes.files, media)) return true;
  ShowMedia fresh;
  if (!loadShowMedia(listPath, &fresh, messages)) return false;
  *media = std::move(fresh);
  return true;
}
