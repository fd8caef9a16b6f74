#include "app/live_reload.h"

#include <algorithm>
#include <cstdio>
#include <utility>

LiveReload::LiveReload(const char* listPath, const char* musicPath)
    : listPath_(listPath), watch_(listPath, musicPath), inUse_(resources::listedFiles(listPath)) {
  watch_.watchInUse(inUse_);
}

bool LiveReload::takeMusicChange() { return std::exchange(musicChanged_, false); }

std::vector<std::string> LiveReload::errors() const {
  std::vector<std::string> all;
  for (const auto& [path, messages] : errors_) all.insert(all.end(), messages.begin(), messages.end());
  return all;
}

ReloadJob LiveReload::nextJob(const ShowMedia& media) {
  ReloadJob job;
  job.listPath = listPath_;
  job.wholeList = changedList_ || listPending_;
  // A changed file goes into each of its places in the media in use; a file
  // only the list on disk names comes in with the whole list.
  for (const std::string& path : changedFiles_) {
    for (const resources::ListedFile& file : inUse_) {
      if (file.path != path || file.kind == resources::ListedFile::Kind::list) continue;
      const Picture* now = file.kind == resources::ListedFile::Kind::picture
                               ? media.data->getPicture(file.index)
                               : media.data->getAnimationFrame(file.index, file.frame);
      if (now != nullptr) job.files.push_back({file, now->resourceIndex});
    }
  }
  changedList_ = false;
  changedFiles_.clear();
  return job;
}

bool LiveReload::apply(ReloadResult& result, ShowMedia* media) {
  if (result.wholeListLoaded) {
    std::swap(*media, result.media);
    inUse_ = std::move(result.listed);
    watch_.watchInUse(inUse_);
    listPending_ = false;
    errors_.clear();
    return true;
  }
  if (jobTriedList_) {
    listPending_ = true;
    errors_[listPath_] = result.listErrors;
    for (const std::string& m : result.listErrors) std::fprintf(stderr, "pixelfolk: reload: %s\n", m.c_str());
  }
  bool changed = false;
  for (ReloadResult::File& loaded : result.files) {
    const resources::ListedFile& file = loaded.file;
    if (!loaded.errors.empty()) {
      errors_[file.path] = loaded.errors;
      for (const std::string& m : loaded.errors) std::fprintf(stderr, "pixelfolk: reload: %s\n", m.c_str());
      continue;
    }
    Picture* target = file.kind == resources::ListedFile::Kind::picture
                          ? media->data->getPicture(file.index)
                          : media->data->getAnimationFrame(file.index, file.frame);
    if (target == nullptr) continue;
    std::swap(*target, loaded.picture);
    if (loaded.font) std::swap(media->font, loaded.font);
    errors_.erase(file.path);
    changed = true;
  }
  return changed;
}

bool LiveReload::pass(double now, ShowMedia* media) {
  bool changed = false;
  if (loader_.busy()) longestGap_ = std::max(longestGap_, now - lastPass_);
  lastPass_ = now;
  ReloadResult result;
  if (loader_.take(&result)) {
    changed = apply(result, media);
    if (changed) {
      std::fprintf(stderr, "pixelfolk: reload: loaded in %.0f ms, frames at most %.0f ms apart meanwhile\n",
                   (now - loadStart_) * 1000.0, longestGap_ * 1000.0);
    }
    // The result now holds what was swapped out.
    MediaLoader::discard(std::move(result));
  }
  if (now >= nextPoll_) {
    nextPoll_ = now + kPollSeconds;
    const MediaWatch::Changes changes = watch_.poll();
    changedList_ = changedList_ || changes.list;
    for (const std::string& path : changes.files) {
      if (std::find(changedFiles_.begin(), changedFiles_.end(), path) == changedFiles_.end()) {
        changedFiles_.push_back(path);
      }
    }
    musicChanged_ = musicChanged_ || changes.music;
  }
  if (!loader_.busy() && (changedList_ || (!changedFiles_.empty()))) {
    ReloadJob job = nextJob(*media);
    jobTriedList_ = job.wholeList;
    if (job.wholeList || !job.files.empty()) {
      loadStart_ = now;
      longestGap_ = 0.0;
      loader_.start(std::move(job));
    }
  }
  return changed;
}
