// The show's media loaded again while it runs, for a rehearsal: a load that
// fails neither shows a box nor ends the program, but says what the box
// would have said.
#pragma once

#include <memory>
#include <string>
#include <vector>

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

// The font cut from `picture`, the file at `path`, as the start-up cuts it;
// or nothing, with what the start-up would have said in `messages`, when the
// picture is missing or too small for the grid.
std::unique_ptr<Font> cutFontFrom(const std::string& path, Picture* picture, std::vector<std::string>* messages);
