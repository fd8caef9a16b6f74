#include "app/media_reload.h"

#include <new>

#include "music/module_renderer.h"
#include "resources/error_message.h"
#include "resources/listed_files.h"

namespace {

// The show's font: 16 x 8 glyphs of 32 x 32 pixels cut from picture 0.
constexpr int32_t kFontColumns = 16;
constexpr int32_t kFontRows = 8;
constexpr int32_t kGlyphSide = 32;

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
  // The font would show its own boxes; a font picture that cannot be cut is
  // refused here with the same words.
  Picture* fontPicture = loaded.data->getPicture(0);
  if (fontPicture == nullptr || !fontPicture->image) {
    *messages = {"Couldn't load font from Resource Manager!"};
    return false;
  }
  if (fontPicture->image->width < kFontColumns * kGlyphSide || fontPicture->image->height < kFontRows * kGlyphSide) {
    *messages = {"The bitmap doesn't fit with the given criteria!"};
    return false;
  }
  loaded.font = std::make_unique<Font>(kFontColumns, kFontRows, kGlyphSide, kGlyphSide, fontPicture);
  *media = std::move(loaded);
  messages->clear();
  return true;
}

bool loadSoundtrack(const char* path, int rate, Soundtrack* soundtrack, std::string* message) {
  ModuleRenderer renderer;
  if (!renderer.hasPlayer()) {
    *message = "The music player cannot start.";
    return false;
  }
  if (!renderer.loadFile(path, rate)) {
    *message = std::string("Music file \"") + path + "\" not loaded: " + renderer.failure();
    return false;
  }
  Soundtrack rendered;
  rendered.timeline = scanTriggerTimeline(renderer, &rendered.samples);
  *soundtrack = std::move(rendered);
  message->clear();
  return true;
}

MediaWatch::MediaWatch(const char* listPath, const char* musicPath)
    : listPath_(listPath),
      musicPath_(musicPath),
      media_(stamped(resources::listedFiles(listPath))),
      music_(platform::fileStamp(musicPath)) {}

std::vector<MediaWatch::Stamped> MediaWatch::stamped(const std::vector<std::string>& paths) {
  std::vector<Stamped> result;
  result.reserve(paths.size());
  for (const std::string& path : paths) result.emplace_back(path, platform::fileStamp(path.c_str()));
  return result;
}

MediaWatch::Changes MediaWatch::poll() {
  Changes changes;
  const platform::FileStamp music = platform::fileStamp(musicPath_.c_str());
  changes.music = music != music_;
  music_ = music;
  for (const Stamped& file : media_) {
    if (platform::fileStamp(file.first.c_str()) != file.second) {
      changes.media = true;
      break;
    }
  }
  // A changed list may name other files: they are all looked at afresh.
  if (changes.media) media_ = stamped(resources::listedFiles(listPath_.c_str()));
  return changes;
}
