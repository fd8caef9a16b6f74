#include "frame_sinks.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "capture_options.h"
#include "child_process.h"
#include "luma_fit.h"
#include "png_encoder.h"
#include "wav_file.h"
#include "yuv_frame.h"

namespace fs = std::filesystem;

namespace {

// "out/" names the folder "out": its partial twin lies beside it, never inside.
std::string partialName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path + ".partial";
}

bool replaceWith(const std::string& partial, const std::string& final, std::string* error) {
  std::error_code ec;
  fs::rename(partial, final, ec);
  if (ec) *error = "cannot rename " + partial + " to " + final + ": " + ec.message();
  return !ec;
}

// PNG compression is the slow part of a capture: frames are compressed on
// worker threads while the caller draws the next ones. Frames travel in a
// fixed set of buffers, so a capture of any length holds the same memory.
class PngFolderSink : public FrameSink {
 public:
  PngFolderSink(std::string folder, FrameFormat format, PngCompression compression, unsigned workers)
      : folder_(std::move(folder)),
        partial_(partialName(folder_)),
        format_(format),
        compression_(compression),
        workerCount_(std::max(1u, workers)) {}
  ~PngFolderSink() override { stopWorkers(); }

  bool begin(const CaptureContent& content, std::string* error) override {
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
    if (!writeWav(partial_ + "/soundtrack.wav", content.audio, 2, format_.audioRate, error)) return false;
    // Enough buffers that every worker has a frame and the next few wait.
    const size_t words = static_cast<size_t>(format_.width) * format_.height;
    for (unsigned i = 0; i < workerCount_ + kWaitingFrames; ++i) free_.emplace_back(words);
    for (unsigned i = 0; i < workerCount_; ++i) workers_.emplace_back([this] { work(); });
    return true;
  }

  bool addFrame(const uint32_t* pixels, std::string* error) override {
    const long index = next_++;
    const size_t words = static_cast<size_t>(format_.width) * format_.height;
    if (previous_ != nullptr && std::equal(pixels, pixels + words, previous_)) {
      std::lock_guard lock(mutex_);
      if (!failure_.empty()) {
        *error = failure_;
        return false;
      }
      if (!run_->encoded) {
        run_->copies.push_back(index);
        return true;
      }
      queue_.push_back(Job{index, {}, run_});
      workAvailable_.notify_one();
      return true;
    }

    std::vector<uint32_t> buffer;
    {
      std::unique_lock lock(mutex_);
      bufferFree_.wait(lock, [&] { return !free_.empty() || !failure_.empty(); });
      if (!failure_.empty()) {
        *error = failure_;
        return false;
      }
      buffer = std::move(free_.back());
      free_.pop_back();
    }
    std::copy(pixels, pixels + words, buffer.begin());
    previous_ = buffer.data();
    {
      std::lock_guard lock(mutex_);
      run_ = std::make_shared<Run>();
      queue_.push_back(Job{index, std::move(buffer), run_});
    }
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
  static constexpr unsigned kWaitingFrames = 6;

  // Frames that repeat the one before them (a still picture held for
  // seconds) are compressed once: a run of equal frames shares its first
  // frame's bytes.
  struct Run {
    bool encoded = false;      // set by the worker that compresses the first frame
    std::vector<uint8_t> png;  // its bytes, kept while more frames may join the run
    std::vector<long> copies;  // later frames that came before the bytes were ready
  };
  struct Job {
    long index;
    std::vector<uint32_t> pixels;  // empty: a copy of the run's bytes
    std::shared_ptr<Run> run;
  };

  std::string framePath(long index) const {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06ld.png", index);
    return partial_ + name;
  }

  void work() {
    FramePngEncoder encoder(compression_);
    std::vector<uint8_t> png;  // kept from frame to frame, so its memory is reused
    while (true) {
      Job job;
      {
        std::unique_lock lock(mutex_);
        workAvailable_.wait(lock, [&] { return !queue_.empty() || stopping_; });
        if (queue_.empty()) return;
        job = std::move(queue_.front());
        queue_.pop_front();
      }
      std::string error;
      bool ok = true;
      std::vector<long> frames = {job.index};
      const std::vector<uint8_t>* bytes = &job.run->png;
      if (!job.pixels.empty()) {
        ok = encoder.encode(job.pixels.data(), format_.width, format_.height, &png, &error, format_.scale);
        bytes = &png;
        std::lock_guard lock(mutex_);
        free_.push_back(std::move(job.pixels));
        job.run->encoded = true;
        // Only the run the drawing thread is still in can get more frames.
        if (job.run == run_) job.run->png = png;
        frames.insert(frames.end(), job.run->copies.begin(), job.run->copies.end());
        job.run->copies.clear();
      }
      // A run's bytes no longer change once encoded, so they are read unlocked.
      for (size_t i = 0; ok && i < frames.size(); ++i) ok = writeFileBytes(framePath(frames[i]), *bytes, &error);
      if (!ok) {
        std::lock_guard lock(mutex_);
        if (failure_.empty()) failure_ = error;
      }
      bufferFree_.notify_one();
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
  PngCompression compression_;
  unsigned workerCount_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable bufferFree_;
  std::deque<Job> queue_;
  std::vector<std::vector<uint32_t>> free_;
  // The last frame given, to spot repeats: the buffer it was copied into.
  // Only this thread writes into buffers, and only into one it has just
  // taken from free_, after the comparison; so the buffer holds this frame
  // until the next one is compared, whichever thread has it meanwhile.
  const uint32_t* previous_ = nullptr;
  std::shared_ptr<Run> run_;  // the run that frame belongs to; replaced under the lock
  long next_ = 0;
  bool stopping_ = false;
  std::string failure_;
};

class SinglePngSink : public FrameSink {
 public:
  SinglePngSink(std::string file, FrameFormat format, PngCompression compression)
      : file_(std::move(file)), partial_(partialName(file_)), format_(format), encoder_(compression) {}

  bool begin(const CaptureContent&, std::string*) override { return true; }

  bool addFrame(const uint32_t* pixels, std::string* error) override {
    std::vector<uint8_t> png;
    written_ = encoder_.encode(pixels, format_.width, format_.height, &png, error, format_.scale) &&
               writeFileBytes(partial_, png, error);
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
  FramePngEncoder encoder_;
  bool written_ = false;
};

class VideoSink : public FrameSink {
 public:
  VideoSink(std::string file, std::string ffmpeg, FrameFormat format, VideoSettings settings)
      : file_(std::move(file)),
        partial_(partialName(file_)),
        wav_(partialName(file_) + ".wav"),
        metadata_(partialName(file_) + ".ffmetadata"),
        ffmpeg_(std::move(ffmpeg)),
        format_(format),
        settings_(std::move(settings)) {}

  // One processor draws the frames and converts them; x264 gets the rest.
  // On two processors its own default (one and a half threads a processor)
  // only adds switching: one thread took a tenth less CPU and less time.
  static unsigned encoderThreads() {
    const unsigned processors = std::thread::hardware_concurrency();  // 0 when unknown
    return processors > 1 ? processors - 1 : 1;
  }

  bool begin(const CaptureContent& content, std::string* error) override {
    if (!writeWav(wav_, content.audio, 2, format_.audioRate, error)) return false;
    const FrameRate fps{format_.fpsNumerator, format_.fpsDenominator};
    const std::string metadata = ffmetadataText(content.title, content.chapters, fps);
    if (!writeFileBytes(metadata_, std::vector<uint8_t>(metadata.begin(), metadata.end()), error)) return false;
    const int width = format_.width * format_.scale, height = format_.height * format_.scale;
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string rate = std::to_string(format_.fpsNumerator) + "/" + std::to_string(format_.fpsDenominator);
    // The framebuffer's words are 0x00RRGGBB little-endian: bytes B, G, R and
    // an unused one, which ffmpeg calls bgr0.
    const std::string input = settings_.yuvPipe ? "yuv420p" : "bgr0";
    if (settings_.yuvPipe) yuv_.resize(yuv420Size(width, height));
    // The AAC encoder's "fast" coder: at this bit rate it sounds no worse
    // than the default two-loop search and takes a third of its time, on
    // ffmpeg's main thread, which also feeds the video encoder.
    // The chapters and the title come from the third input, the ffmetadata file.
    // clang-format off
    std::vector<std::string> args = {
        "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        "-f", "rawvideo", "-pixel_format", input, "-video_size", size, "-framerate", rate, "-i", "-",
        "-i", wav_,
        "-f", "ffmetadata", "-i", metadata_, "-map", "0:v", "-map", "1:a", "-map_metadata", "2", "-map_chapters", "2",
        "-c:v", "libx264", "-preset", settings_.preset, "-threads:v", std::to_string(encoderThreads()),
        settings_.constantRateFactor ? "-crf" : "-qp", std::to_string(settings_.quality), "-pix_fmt", "yuv420p"};
    // Players take an untagged video of 640 x 480 or less as BT.601, what the
    // conversion here gives, but a larger one as BT.709, whose colours differ:
    // an enlarged video says which it is, and where its chroma samples sit:
    // centred, as the luma fit (luma_fit.h) expects and ffmpeg assumes, where
    // an untagged H.264 video would be read with them on the left.
    if (format_.scale > 1) {
      args.insert(args.end(), {"-colorspace", "smpte170m", "-color_range", "tv", "-chroma_sample_location", "center"});
    }
    args.insert(args.end(), {
        "-c:a", "aac", "-aac_coder", "fast", "-b:a", "192k",
        "-shortest", "-movflags", "+faststart", "-f", "mp4", partial_});
    // clang-format on
    if (!encoder_.start(ffmpeg_, args, error)) {
      *error = "cannot start " + ffmpeg_ + ": " + *error;
      return false;
    }
    return true;
  }

  bool addFrame(const uint32_t* pixels, std::string* error) override {
    bool written = false;
    if (settings_.yuvPipe) {
      convertToYuv420Scaled(pixels, format_.width, format_.height, format_.scale, yuv_.data());
      // Even scales only: at 3x the fit would take the capture below real
      // time on two processors (docs/capture.md), and 1x stays byte for byte.
      if (format_.scale % 2 == 0)
        fitLumaToUpsampledChroma(pixels, format_.width, format_.height, format_.scale, yuv_.data());
      written = encoder_.write(yuv_.data(), yuv_.size());
    } else {
      written = encoder_.write(pixels, static_cast<size_t>(format_.width) * format_.height * 4);
    }
    if (written) return true;
    *error = "ffmpeg stopped reading frames";
    return false;
  }

  bool finish(std::string* error) override {
    const int code = encoder_.finish();
    std::error_code ec;
    fs::remove(wav_, ec);
    fs::remove(metadata_, ec);
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
    fs::remove(metadata_, ec);
    fs::remove(partial_, ec);
  }

 private:
  std::string file_;
  std::string partial_;
  std::string wav_;
  std::string metadata_;
  std::string ffmpeg_;
  FrameFormat format_;
  VideoSettings settings_;
  std::vector<uint8_t> yuv_;
  ChildInput encoder_;
};

}  // namespace

std::unique_ptr<FrameSink> makePngFolderSink(const std::string& folder, const FrameFormat& format,
                                             PngCompression compression, unsigned workers) {
  return std::make_unique<PngFolderSink>(folder, format, compression, workers);
}

std::unique_ptr<FrameSink> makeSinglePngSink(const std::string& file, const FrameFormat& format,
                                             PngCompression compression) {
  return std::make_unique<SinglePngSink>(file, format, compression);
}

std::unique_ptr<FrameSink> makeVideoSink(const std::string& file, const FrameFormat& format,
                                         const VideoSettings& settings, std::string* error) {
  std::string ffmpeg = findProgram("ffmpeg");
  if (ffmpeg.empty()) {
    *error = "ffmpeg is not installed (not found on PATH); install it (Debian: apt-get install ffmpeg) to make a video";
    return nullptr;
  }
  return std::make_unique<VideoSink>(file, ffmpeg, format, settings);
}
