// The show's media loaded again while it runs, for a rehearsal: a load that
// fails neither shows a box nor ends the program, but says what the box
// would have said.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/media_watch.h"
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

// Loads again only the pictures and animation frames named, into the media
// in use, re-cutting the font when picture 0 is among them: the quick way
// when the list itself did not change. All or nothing: on any error the
// media are left as they were and false is returned (loadShowMedia then
// gives the show's own messages for it).
bool reloadFiles(const std::vector<resources::ListedFile>& files, ShowMedia* media);

// What changed, loaded into `media`: only the changed pictures and frames
// while the list stays as it was, everything when the list changed or a
// file would not load that way (the full load then says what the show's
// message boxes would have said). On an error returns false with the
// messages, and `media` as they were.
bool reloadChanges(const char* listPath, const MediaWatch::Changes& changes, ShowMedia* media,
                   std::vector<std::string>* messages);
