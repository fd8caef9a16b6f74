#include "app/media_watch.h"

#include <set>

namespace {

std::vector<std::string> pathsOf(const std::vector<resources::ListedFile>& files) {
  std::vector<std::string> paths;
  for (const resources::ListedFile& file : files) {
    if (file.kind != resources::ListedFile::Kind::list) paths.push_back(file.path);
  }
  return paths;
}

}  // namespace

bool MediaWatch::Watched::settled(const platform::FileStamp& now) {
  if (now != lastLook) {
    lastLook = now;
    return false;
  }
  if (now == reported) return false;
  reported = now;
  return true;
}

MediaWatch::Watched MediaWatch::watched(const std::string& path) {
  const platform::FileStamp now = platform::fileStamp(path.c_str());
  return Watched{now, now};
}

MediaWatch::MediaWatch(const char* listPath, const char* musicPath)
    : listPath_(listPath),
      musicPath_(musicPath),
      list_(watched(listPath_)),
      music_(watched(musicPath_)),
      onDisk_(pathsOf(resources::listedFiles(listPath))),
      inUse_(onDisk_) {
  rebuild();
}

void MediaWatch::rebuild() {
  std::map<std::string, Watched> kept;
  for (const std::vector<std::string>* paths : {&onDisk_, &inUse_}) {
    for (const std::string& path : *paths) {
      if (kept.count(path) != 0) continue;
      const auto known = files_.find(path);
      kept.emplace(path, known != files_.end() ? known->second : watched(path));
    }
  }
  files_ = std::move(kept);
}

void MediaWatch::watchInUse(const std::vector<resources::ListedFile>& files) {
  inUse_ = pathsOf(files);
  rebuild();
}

MediaWatch::Changes MediaWatch::poll() {
  Changes changes;
  changes.music = music_.settled(platform::fileStamp(musicPath_.c_str()));
  changes.list = list_.settled(platform::fileStamp(listPath_.c_str()));
  for (auto& [path, file] : files_) {
    if (file.settled(platform::fileStamp(path.c_str()))) changes.files.push_back(path);
  }
  if (changes.list) {
    // A file the new list names for the first time is loaded with the list;
    // from now on its own changes count.
    onDisk_ = pathsOf(resources::listedFiles(listPath_.c_str()));
    rebuild();
  }
  return changes;
}
