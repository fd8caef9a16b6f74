// A rehearsal's media loaded on a worker thread: a large picture decodes
// for seconds, and the show keeps drawing at its frame rate meanwhile. The
// frame loop starts a load, looks whether it is done between two frames,
// and swaps the result in there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/media_reload.h"
#include "resources/listed_files.h"
#include "resources/picture.h"

struct ReloadJob {
  std::string listPath;
  // The whole list and everything it names, tried first; when it fails,
  // `files` are loaded one by one against the list in use.
  bool wholeList = false;
  struct File {
    resources::ListedFile file;  // its place in the media in use
    int32_t resourceIndex = 0;   // what the picture in that place was loaded with
  };
  std::vector<File> files;
};

struct ReloadResult {
  bool wholeListLoaded = false;
  ShowMedia media;                            // when the whole list loaded
  std::vector<resources::ListedFile> listed;  // the list those media were loaded from
  std::vector<std::string> listErrors;        // why the whole list did not load
  struct File {
    resources::ListedFile file;
    Picture picture;             // with an image when it loaded
    std::unique_ptr<Font> font;  // cut again from picture 0
    std::vector<std::string> errors;
  };
  std::vector<File> files;
};

// Does the job on the calling thread; touches nothing but the files and what
// it returns.
ReloadResult loadReload(const ReloadJob& job);

// One load at a time on a thread of its own.
class MediaLoader {
 public:
  MediaLoader();
  // A load still running is left to finish by itself; its result is dropped.
  ~MediaLoader();
  MediaLoader(const MediaLoader&) = delete;
  MediaLoader& operator=(const MediaLoader&) = delete;

  // Only when not busy().
  void start(ReloadJob job);
  // A load started and its result not yet taken.
  bool busy() const { return shared_ != nullptr; }
  // The result of the load started, once it is done; false while it runs
  // and when none was started. Never waits.
  bool take(ReloadResult* result);

  // Frees what a swap replaced on a thread of its own: a picture of a few
  // hundred megabytes takes tens of milliseconds to give back.
  static void discard(ReloadResult replaced);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};
