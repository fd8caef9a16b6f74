#include "app/media_loader.h"

#include <mutex>
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

struct MediaLoader::Shared {
  std::mutex mutex;
  bool done = false;
  ReloadResult result;
};

MediaLoader::MediaLoader() = default;

MediaLoader::~MediaLoader() = default;

void MediaLoader::start(ReloadJob job) {
  shared_ = std::make_shared<Shared>();
  // Detached: the thread owns its job and shares only the result, so the
  // show may end (and this loader go) while a picture still decodes.
  std::thread([shared = shared_, job = std::move(job)] {
    // The frames come first when the processors are busy.
    platform::lowerThreadPriority();
    ReloadResult result = loadReload(job);
    const std::lock_guard<std::mutex> lock(shared->mutex);
    shared->result = std::move(result);
    shared->done = true;
  }).detach();
}

bool MediaLoader::take(ReloadResult* result) {
  if (!shared_) return false;
  {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    if (!shared_->done) return false;
    *result = std::move(shared_->result);
  }
  shared_.reset();
  return true;
}

void MediaLoader::discard(ReloadResult replaced) {
  std::thread([old = std::move(replaced)]() mutable {
    platform::lowerThreadPriority();
    old = ReloadResult();
  }).detach();
}
