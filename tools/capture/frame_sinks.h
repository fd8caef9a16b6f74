// Where captured frames go: a folder of PNG files with the soundtrack as WAV,
// one PNG, or an MP4 through ffmpeg. Each writes under a ".partial" name and
// takes the final name only when everything was written, so an interrupted or
// failed capture never looks complete.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "png_encoder.h"
#include "video_chapters.h"

struct FrameFormat {
  int width = 640;  // the frames given; written `scale` times as wide and high
  int height = 480;
  int scale = 1;
  long fpsNumerator = 60;
  long fpsDenominator = 1;
  int audioRate = 44100;
};

// The x264 settings of a video: its speed preset and constant rate factor;
// and whether frames go to ffmpeg as 4:2:0 YUV, converted here, or as the
// framebuffer's words for ffmpeg to convert (more bytes through the pipe).
struct VideoSettings {
  std::string preset = "ultrafast";
  // x264's rate control. A constant quantizer spares x264 the half-size
  // copy of every frame that rate factors are judged on, which at the
  // ultrafast preset is a good part of its work, and keeps every frame at
  // one quality: 15 measures as high as rate factor 16 on average, and
  // higher in the worst frame.
  bool constantRateFactor = false;
  int quality = 15;  // the quantizer, or the rate factor: 0 (lossless) to 51
  bool yuvPipe = true;
};

// What a capture holds besides its frames.
struct CaptureContent {
  std::vector<int16_t> audio;  // stereo, covering the frames to come
  std::string title;
  std::vector<VideoChapter> chapters;
};

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // Checks the destination and starts writing.
  virtual bool begin(const CaptureContent& content, std::string* error) = 0;
  virtual bool addFrame(const uint32_t* pixels, std::string* error) = 0;
  // Completes the output under its final name.
  virtual bool finish(std::string* error) = 0;
  // Removes whatever was written.
  virtual void abandon() = 0;
};

// The folder sink compresses on `workers` threads (at least one) while the
// caller draws the next frames; at most a few frames wait, so memory stays flat.
std::unique_ptr<FrameSink> makePngFolderSink(const std::string& folder, const FrameFormat& format,
                                             PngCompression compression, unsigned workers);
std::unique_ptr<FrameSink> makeSinglePngSink(const std::string& file, const FrameFormat& format,
                                             PngCompression compression);
// Returns nullptr, with the reason, when ffmpeg is not on the PATH.
std::unique_ptr<FrameSink> makeVideoSink(const std::string& file, const FrameFormat& format,
                                         const VideoSettings& settings, std::string* error);
