// The show's files watched by their stamps, for a rehearsal that reloads
// what changed.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/file_stamp.h"
#include "resources/listed_files.h"

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
