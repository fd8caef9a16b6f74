#include "app/media_folder.h"

#include <algorithm>
#include <filesystem>

namespace {

std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool liesInside(const std::string& path, const std::string& folder) {
  if (folder.empty()) return false;
  const std::string prefix = folder == "/" ? folder : folder + "/";
  return path.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::vector<std::string> mediaFolderCandidates(const MediaPlaces& places) {
  std::vector<std::string> folders;
  auto add = [&folders](const std::string& folder) {
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  };
  add(places.workingDirectory.empty() ? std::string(".") : withoutTrailingSlash(places.workingDirectory));
  if (!places.executable.empty()) {
    const std::filesystem::path folder = std::filesystem::path(places.executable).parent_path();
    if (places.mediaBesideExecutable) {
      add(withoutTrailingSlash(folder.string()));
    } else {
      add(withoutTrailingSlash((folder / kDataFromExecutableFolder).lexically_normal().string()));
    }
  }
  const std::string build = withoutTrailingSlash(places.buildDirectory);
  if (!places.buildShowFolder.empty() && liesInside(places.executable, build)) {
    add(withoutTrailingSlash(places.buildShowFolder));
  }
  return folders;
}

MediaChoice chooseMediaFolder(const MediaPlaces& places, const std::function<bool(const std::string&)>& isFile,
                              const std::function<bool(const std::string&)>& isPresent) {
  MediaChoice choice;
  choice.lookedIn = mediaFolderCandidates(places);
  for (size_t i = 0; i < choice.lookedIn.size(); ++i) {
    const std::string& folder = choice.lookedIn[i];
    const std::string list = folder + "/" + kResourceListName;
    if (i == 0 ? isPresent(list) : isFile(list)) {
      choice.found = true;
      choice.folder = folder;
      choice.workingDirectory = i == 0;
      break;
    }
  }
  return choice;
}

std::string mediaNotFoundMessage(const MediaChoice& choice) {
  std::string text = std::string("Couldn't find ") + kResourceListName + " in ";
  for (size_t i = 0; i < choice.lookedIn.size(); ++i) {
    if (i > 0) text += i + 1 == choice.lookedIn.size() ? " or " : ", ";
    text += choice.lookedIn[i];
  }
  return text + ".";
}
