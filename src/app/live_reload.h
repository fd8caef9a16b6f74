// A rehearsal's live reload of the pictures: the watch on the files, loads
// on a worker thread swapped in between two frames, and the errors, each
// kept with its file until that file loads.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/media_loader.h"
#include "app/media_reload.h"
#include "app/media_watch.h"
#include "resources/listed_files.h"

class LiveReload {
 public:
  // `media` were loaded from the list at listPath as it is now.
  LiveReload(const char* listPath, const char* musicPath);

  // Called once a frame, between two frames, with the time in seconds:
  // takes a finished load into `media` (true when they changed, so the
  // frame is drawn again), looks at the files every `pollSeconds` and
  // starts a load of what changed once the last one is done.
  bool pass(double now, ShowMedia* media);

  // Whether the module changed since the last call.
  bool takeMusicChange();

  // What did not load, each file's messages in the order of the paths: the
  // list's own when the list on disk does not load.
  std::vector<std::string> errors() const;

  // A load started and not yet swapped in.
  bool loading() const { return loader_.busy(); }

  static constexpr double kPollSeconds = 0.5;  // soon enough for a file saved by hand

 private:
  ReloadJob nextJob(const ShowMedia& media);
  bool apply(ReloadResult& result, ShowMedia* media);

  std::string listPath_;
  MediaWatch watch_;
  MediaLoader loader_;
  // The list the media in use were loaded from: the places of their files.
  std::vector<resources::ListedFile> inUse_;
  // The list on disk changed and has not loaded since: every change tries it.
  bool listPending_ = false;
  bool jobTriedList_ = false;
  // Changes seen while a load ran, for the next one.
  bool changedList_ = false;
  std::vector<std::string> changedFiles_;
  bool musicChanged_ = false;
  std::map<std::string, std::vector<std::string>> errors_;
  double nextPoll_ = 0.0;
  // Figures for standard error: when the load began, the longest time
  // between two frames while it ran.
  double loadStart_ = 0.0;
  double lastPass_ = 0.0;
  double longestGap_ = 0.0;
};
