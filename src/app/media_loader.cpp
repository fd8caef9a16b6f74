#include "app/media_loader.h"

#include <new>
#include <thread>
#include <utility>

#include "platform/platform.h"
#include "resources/error_message.h"

namespace {

ReloadResult::File loadFile(const ReloadJob::File& job) {
  ReloadResult::File loaded{job.file, Picture(), nullptr, {}};
  resources::ErrorCollector errors;
  try {
    loaded.picture.load(job.file.path.c_str(), job.resourceIndex);
    if (loaded.picture.image && job.file.kind == resources::ListedFile::Kind::picture && job.file.index == 0) {
      std::vector<std::string> messages;
      loaded.font = cutFontFrom(job.file.path, &loaded.picture, &messages);
      for (const std::string& m : messages) errors.keep(m.c_str());
    }
  } catch (const resources::LoadFailed&) {
    loaded.picture.release();
  } catch (const std::bad_alloc&) {
    loaded.picture.release();
    errors.keep(("Not enough memory to load " + job.file.path + ".").c_str());
  }
  loaded.errors = errors.messages();
  // Neither a half-loaded picture nor an uncut font goes into the show.
  if (!loaded.errors.empty()) {
    loaded.picture.release();
    loaded.font.reset();
  }
  return loaded;
}

}  // namespace

ReloadResult loadReload(const ReloadJob& job) {
  ReloadResult result;
  if (job.wholeList) {
    // What the watch goes by from then on: the list as it was when loaded.
    std::vector<resources::ListedFile> listed = resources::listedFiles(job.listPath.c_str());
    if (loadShowMedia(job.listPath.c_str(), &result.media, &result.listErrors)) {
      result.wholeListLoaded = true;
      result.listed = std::move(listed);
      return result;
    }
  }
  for (const ReloadJob::File& file : job.files) result.files.push_back(loadFile(file));
  return result;
}

void MediaLoader::start(ReloadJob job) {
  load_.start([job = std::move(job)] { return loadReload(job); });
}

void MediaLoader::discard(ReloadResult replaced) {
  std::thread([old = std::move(replaced)]() mutable {
    platform::lowerThreadPriority();
    old = ReloadResult();
  }).detach();
}
