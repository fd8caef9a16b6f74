// One load at a time on a thread of its own, for a rehearsal: a large
// picture decodes, or a module renders, for a second or more, and the show
// keeps drawing at its frame rate meanwhile. The frame loop starts a load,
// looks whether it is done between two frames, and takes the result there.
#pragma once

#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/platform.h"

template <typename Result>
class BackgroundLoad {
 public:
  // Only when not busy(). `load` runs on the thread and returns the Result.
  template <typename Load>
  void start(Load load) {
    shared_ = std::make_shared<Shared>();
    // Detached: the thread owns its load and shares only the result, so the
    // show may end (and this object go) while the load still runs.
    std::thread([shared = shared_, load = std::move(load)]() mutable {
      // The frames come first when the processors are busy.
      platform::lowerThreadPriority();
      Result result = load();
      const std::lock_guard<std::mutex> lock(shared->mutex);
      shared->result = std::move(result);
      shared->done = true;
    }).detach();
  }

  // A load started and its result not yet taken.
  bool busy() const { return shared_ != nullptr; }

  // The result of the load started, once it is done; false while it runs
  // and when none was started. Never waits.
  bool take(Result* result) {
    if (!shared_) return false;
    {
      const std::lock_guard<std::mutex> lock(shared_->mutex);
      if (!shared_->done) return false;
      *result = std::move(shared_->result);
    }
    shared_.reset();
    return true;
  }

 private:
  struct Shared {
    std::mutex mutex;
    bool done = false;
    Result result;
  };
  std::shared_ptr<Shared> shared_;
};
