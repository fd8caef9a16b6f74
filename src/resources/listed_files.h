// The files a resource list names: what a rehearsal watches for changes, and
// where each one goes in the DataController that loads the list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace resources {

struct ListedFile {
  enum class Kind { list, picture, animationFrame };
  std::string path;
  Kind kind = Kind::list;
  int32_t index = 0;  // the picture's or the animation's position, from 0
  int32_t frame = 0;  // an animation frame's position, from 0
};

// The list itself, then each picture's file and each animation frame's file
// (frames 1 to the listed count), read as DataController reads the list.
// Reading stops where DataController would stop with an error; a list that
// does not open gives only its own name.
std::vector<ListedFile> listedFiles(const char* listPath);

}  // namespace resources
