// Which of the show's files changed, for a rehearsal's live reload: the
// resource list, the files it names and the files of the media in use,
// and the module, each looked at by its stamp.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/file_stamp.h"
#include "resources/listed_files.h"

class MediaWatch {
 public:
  // Watches the list, every file it names now, and the module.
  MediaWatch(const char* listPath, const char* musicPath);

  struct Changes {
    bool list = false;               // the resource list itself
    std::vector<std::string> files;  // pictures and frames, by path
    bool music = false;
    bool media() const { return list || !files.empty(); }
  };
  // The files whose stamp differs from the one last reported and has stayed
  // the same since the look before: a file being written is reported once
  // it has stopped changing, not half-way. A changed list is read again and
  // every file it names is watched from then on.
  Changes poll();

  // The files of the media in use, watched whatever the list on disk now
  // names: a change to one of them is loaded into its place.
  void watchInUse(const std::vector<resources::ListedFile>& files);

 private:
  struct Watched {
    platform::FileStamp reported;  // what the last change reported (or the first look) saw
    platform::FileStamp lastLook;
    // Whether the file changed and has stopped changing; true once per change.
    bool settled(const platform::FileStamp& now);
  };
  static Watched watched(const std::string& path);
  // Keeps the files named by the list on disk or in use, with their stamps.
  void rebuild();

  std::string listPath_;
  std::string musicPath_;
  Watched list_;
  Watched music_;
  std::vector<std::string> onDisk_;  // the files the list on disk names
  std::vector<std::string> inUse_;
  std::map<std::string, Watched> files_;
};
