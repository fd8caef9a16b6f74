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

// Renders the module offline at `rate`. On failure returns false and says
// why in `message`, as the show says it on standard error.
bool loadSoundtrack(const char* path, int rate, Soundtrack* soundtrack, std::string* message);

// Which of the show's files changed since the last look: the resource list
// and every file it names, and the module.
class MediaWatch {
 public:
  MediaWatch(const char* listPath, const char* musicPath);

  struct Changes {
    bool media = false;
    bool music = false;
  };
  // Compares every file's stamp with the last one seen.
  Changes poll();

 private:
  using Stamped = std::pair<std::string, platform::FileStamp>;
  static std::vector<Stamped> stamped(const std::vector<std::string>& paths);

  std::string listPath_;
  std::string musicPath_;
  std::vector<Stamped> media_;
  platform::FileStamp music_;
};
