// The files a resource list names: what a rehearsal watches for changes.
#pragma once

#include <string>
#include <vector>

namespace resources {

// The list itself, then each picture's file and each animation frame's file
// (frames 1 to the listed count), read as DataController reads the list.
// Reading stops where DataController would stop with an error; a list that
// does not open gives only its own name.
std::vector<std::string> listedFiles(const char* listPath);

}  // namespace resources
