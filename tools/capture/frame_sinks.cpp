#include "frame_sinks.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/child_process.h"
#include "png_file.h"
#include "wav_file.h"

namespace fs = std::filesystem;

namespace {

std::string partialName(const std::string& path) { return path + ".partial"; }

bool replaceWith(const std::string& partial, const std::string& final, std::string* error) {
  std::error_code ec;
  fs::rename(partial, final, ec);
  if (ec) *error = "cannot rename " + partial + " to " + final + ": " + ec.message();
  return !ec;
}

// PNG encoding is the slow part of a capture: frames are compressed on
// worker threads while the next ones are drawn.
class PngFolderSink : public FrameSink {
 public:
  PngFolderSink(std::string folder, FrameFormat format)
      : folder_(std::move(folder)), partial_(partialName(folder_)), format_(format) {}
  ~PngFolderSink() override { stopWorkers(); }

  bool begin(const std::vector<int16_t>& audio, std::string* error) override {
    std::error_code ec;
    if (fs::exists(folder_, ec) && !fs::is_empty(folder_, ec)) {
      *error = folder_ + " exists and is not empty";
      return false;
    }
    fs::remove_all(partial_, ec);
    if (!fs::create_directories(partial_, ec) || ec) {
      *error = "cannot create " + partial_ + (ec ? ": " + ec.message() : "");
      return false;
    }
    if (!writeWav(partial_ + "/soundtrack.wav", audio, 2, format_.audioRate, error)) return false;
    const unsigned workers = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    for (unsigned i = 0; i < workers; ++i) workers_.emplace_back([this] { work(); });
    return true;
  }

  bool addFrame(const uint32_t* pixels, std::string* error) override {
    const size_t words = static_cast<size_t>(format_.width) * format_.height;
    std::unique_lock lock(mutex_);
    spaceFree_.wait(lock, [&] { return queue_.size() < kMaxQueued || !failure_.empty(); });
    if (!failure_.empty()) {
      *error = failure_;
      return false;
    }
    queue_.push_back(Job{next_++, std::vector<uint32_t>(pixels, pixels + words)});
    workAvailable_.notify_one();
    return true;
  }

  bool finish(std::string* error) override {
    stopWorkers();
    if (!failure_.empty()) {
      *error = failure_;
      return false;
    }
    std::error_code ec;
    fs::remove(folder_, ec);  // an empty folder the user made beforehand
    return replaceWith(partial_, folder_, error);
  }

  void abandon() override {
    stopWorkers();
    std::error_code ec;
    fs::remove_all(partial_, ec);
  }

 private:
  static constexpr size_t kMaxQueued = 16;
  struct Job {
    long index;
    std::vector<uint32_t> pixels;
  };

  void work() {
    while (true) {
      Job job;
      {
        std::unique_lock lock(mutex_);
        workAvailable_.wait(lock, [&] { return !queue_.empty() || stopping_; });
        if (queue_.empty()) return;
        job = std::move(queue_.front());
        queue_.pop_front();
        spaceFree_.notify_one();
      }
      char name[32];
      std::snprintf(name, sizeof name, "/frame-%06ld.png", job.index);
      std::string error;
      if (!writeFramePng(partial_ + name, job.pixels.data(), format_.width, format_.height, &error)) {
        std::lock_guard lock(mutex_);
        if (failure_.empty()) failure_ = error;
        spaceFree_.notify_all();
      }
    }
  }

  void stopWorkers() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    workAvailable_.notify_all();
    for (std::thread& t : workers_) t.join();
    workers_.clear();
  }

  std::string folder_;
  std::string partial_;
  FrameFormat format_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable spaceFree_;
  std::deque<Job> queue_;
  long next_ = 0;
  bool stopping_ = false;
  std::string failure_;
};

class SinglePngSink : public FrameSink {
 public:
  SinglePngSink(std::string file, FrameFormat format)
      : file_(std::move(file)), partial_(partialName(file_)), format_(format) {}

  bool begin(const std::vector<int16_t>&, std::string*) override { return true; }

  bool addFrame(const uint32_t* pixels, std::string* error) override {
    written_ = writeFramePng(partial_, pixels, format_.width, format_.height, error);
    return written_;
  }

  bool finish(std::string* error) override {
    if (!written_) {
      *error = "no frame was drawn for " + file_;
      return false;
    }
    return replaceWith(partial_, file_, error);
  }

  void abandon() override {
    std::error_code ec;
    fs::remove(partial_, ec);
  }

 private:
  std::string file_;
  std::string partial_;
  FrameFormat format_;
  bool written_ = false;
};

class VideoSink : public FrameSink {
 public:
  VideoSink(std::string file, std::string ffmpeg, FrameFormat format)
      : file_(std::move(file)),
        partial_(partialName(file_)),
        wav_(partialName(file_) + ".wav"),
        ffmpeg_(std::move(ffmpeg)),
        format_(format) {}

  bool begin(const std::vector<int16_t>& audio, std::string* error) override {
    if (!writeWav(wav_, audio, 2, format_.audioRate, error)) return false;
    const std::string size = std::to_string(format_.width) + "x" + std::to_string(format_.height);
    const std::string rate = std::to_string(format_.fpsNumerator) + "/" + std::to_string(format_.fpsDenominator);
    // The framebuffer's words are 0x00RRGGBB little-endian: bytes B, G, R and
    // an unused one, which ffmpeg calls bgr0.
    const std::vector<std::string> args = {
        "-hide_banner", "-loglevel",   "error",   "-nostdin",   "-y",       "-f",        "rawvideo",  "-pixel_format",
        "bgr0",         "-video_size", size,      "-framerate", rate,       "-i",        "-",         "-i",
        wav_,           "-c:v",        "libx264", "-preset",    "veryfast", "-crf",      "18",        "-pix_fmt",
        "yuv420p",      "-c:a",        "aac",     "-b:a",       "192k",     "-shortest", "-movflags", "+faststart",
        "-f",           "mp4",         partial_};
    if (!encoder_.start(ffmpeg_, args, error)) {
      *error = "cannot start " + ffmpeg_ + ": " + *error;
      return false;
    }
    return true;
  }

  bool addFrame(const uint32_t* pixels, std::string* error) override {
    if (encoder_.write(pixels, static_cast<size_t>(format_.width) * format_.height * 4)) return true;
    *error = "ffmpeg stopped reading frames";
    return false;
  }

  bool finish(std::string* error) override {
    const int code = encoder_.finish();
    std::error_code ec;
    fs::remove(wav_, ec);
    if (code != 0) {
      *error = "ffmpeg failed with exit code " + std::to_string(code);
      return false;
    }
    return replaceWith(partial_, file_, error);
  }

  void abandon() override {
    encoder_.finish();
    std::error_code ec;
    fs::remove(wav_, ec);
    fs::remove(partial_, ec);
  }

 private:
  std::string file_;
  std::string partial_;
  std::string wav_;
  std::string ffmpeg_;
  FrameFormat format_;
  platform::ChildInput encoder_;
};

}  // namespace

std::unique_ptr<FrameSink> makePngFolderSink(const std::string& folder, const FrameFormat& format) {
  return std::make_unique<PngFolderSink>(folder, format);
}

std::unique_ptr<FrameSink> makeSinglePngSink(const std::string& file, const FrameFormat& format) {
  return std::make_unique<SinglePngSink>(file, format);
}

std::unique_ptr<FrameSink> makeVideoSink(const std::string& file, const FrameFormat& format, std::string* error) {
  std::string ffmpeg = platform::findProgram("ffmpeg");
  if (ffmpeg.empty()) {
    *error = "ffmpeg is not installed (not found on PATH); install it (Debian: apt-get install ffmpeg) to make a video";
    return nullptr;
  }
  return std::make_unique<VideoSink>(file, ffmpeg, format);
}
