// A rehearsal's pictures loaded on a worker thread (app/background_load.h),
// swapped in between two frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/background_load.h"
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

// The pictures' loads, one at a time on a thread of their own.
class MediaLoader {
 public:
  // Only when not busy().
  void start(ReloadJob job);
  bool busy() const { return load_.busy(); }
  // The result of the load started, once it is done. Never waits.
  bool take(ReloadResult* result) { return load_.take(result); }

  // Frees what a swap replaced on a thread of its own: a picture of a few
  // hundred megabytes takes tens of milliseconds to give back.
  static void discard(ReloadResult replaced);

 private:
  BackgroundLoad<ReloadResult> load_;
};
