// The show's media loaded again while it runs, for a rehearsal: the files
// are watched by their stamps, and a load that fails neither shows a box nor
// ends the program, but says what the box would have said.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "music/trigger_timeline.h"
#include "platform/file_stamp.h"
#include "render/font.h"
#include "resources/data_controller.h"
#include "resources/listed_files.h"

struct ShowMedia {
  std::unique_ptr<DataController> data;
  std::unique_ptr<Font> font;
};

// Loads the list, everything it names and the font cut from picture 0. On
// an error returns false, leaves `media` as it was, and puts the texts of the
// message boxes the show would have shown into `messages`.
bool loadShowMedia(const char* listPath, ShowMedia* media, std::vector<std::string>* messages);

struct Soundtrack {
  TriggerTimeline timeline;
  std::vector<int16_t> samples;  // the module played once, interleaved stereo
};

// Loads again only the pictures and animation frames named, into the media
// in use, re-cutting the font when picture 0 is among them: the quick way
// when the list itself did not change. All or nothing: on any error the
// media are left as they were and false is returned (loadShowMedia then
// gives the show's own messages for it).
bool reloadFiles(const std::vector<resources::ListedFile>& files, ShowMedia* media);

// Renders the module offline at `rate`. On failure returns false and says
// why in `message`, as the show says it on standard error.
bool loadSoundtrack(const char* path, int rate, Soundtrack* soundtrack, std::string* message);

// Which of the show's files changed since the last look: the resource list
// and every file it names, and the module.
class MediaWatch {
 public:
  MediaWatch(const char* listPath, const char* musicPath);

  struct Changes {
    bool list = false;                         // the resource list itself
    std::vector<resources::ListedFile> files;  // the pictures and frames it names
    bool music = false;
    bool media() const { return list || !files.empty(); }
  };
  // Compares every file's stamp with the last one seen.
  Changes poll();

 private:
  using Stamped = std::pair<resources::ListedFile, platform::FileStamp>;
  static std::vector<Stamped> stamped(const std::vector<resources::ListedFile>& files);

  std::string listPath_;
  std::string musicPath_;
  std::vector<Stamped> media_;
  platform::FileStamp music_;
};

// What changed, loaded into `media`: only the changed pictures and frames
// while the list stays as it was, everything when the list changed or a
// file would not load that way (the full load then says what the show's
// message boxes would have said). On an error returns false with the
// messages, and `media` as they were.
bool reloadChanges(const char* listPath, const MediaWatch::Changes& changes, ShowMedia* media,
                   std::vector<std::string>* messages);
