// A rehearsal's module loaded again when it changes on disk, on a worker
// thread: rendering the whole module takes the better part of a second,
// which on the frame loop froze the show.
#pragma once

#include <string>

#include "app/background_load.h"
#include "music/soundtrack.h"

struct LoadedMusic {
  bool loaded = false;
  Soundtrack soundtrack;
  std::string message;  // why it did not load
};

class MusicReload {
 public:
  MusicReload(std::string path, int rate) : path_(std::move(path)), rate_(rate) {}

  // The module changed on disk: it is loaded once a load still running is done.
  void request() { pending_ = true; }

  // Called between two frames: the module as it was last loaded, once,
  // whether it loaded or not. A load overtaken by a newer change is dropped
  // rather than shown for a moment. Never waits.
  bool take(LoadedMusic* music);

  // A change not yet taken.
  bool loading() const { return pending_ || load_.busy(); }

 private:
  std::string path_;
  int rate_;
  bool pending_ = false;
  BackgroundLoad<LoadedMusic> load_;
};
