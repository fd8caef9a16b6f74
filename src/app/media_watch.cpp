#include "app/media_watch.h"

MediaWatch::MediaWatch(const char* listPath, const char* musicPath)
    : listPath_(listPath),
      musicPath_(musicPath),
      media_(stamped(resources::listedFiles(listPath))),
      music_(platform::fileStamp(musicPath)) {}

std::vector<MediaWatch::Stamped> MediaWatch::stamped(const std::vector<resources::ListedFile>& files) {
  std::vector<Stamped> result;
  result.reserve(files.size());
  for (const resources::ListedFile& file : files) result.emplace_back(file, platform::fileStamp(file.path.c_str()));
  return result;
}

MediaWatch::Changes MediaWatch::poll() {
  Changes changes;
  const platform::FileStamp music = platform::fileStamp(musicPath_.c_str());
  changes.music = music != music_;
  music_ = music;
  for (Stamped& file : media_) {
    const platform::FileStamp now = platform::fileStamp(file.first.path.c_str());
    if (now == file.second) continue;
    file.second = now;
    if (file.first.kind == resources::ListedFile::Kind::list) {
      changes.list = true;
    } else {
      changes.files.push_back(file.first);
    }
  }
  // A changed list may name other files: they are all looked at afresh.
  if (changes.list) media_ = stamped(resources::listedFiles(listPath_.c_str()));
  return changes;
}
