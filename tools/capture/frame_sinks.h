// Where captured frames go: a folder of PNG files with the soundtrack as WAV,
// one PNG, or an MP4 through ffmpeg. Each writes under a ".partial" name and
// takes the final name only when everything was written, so an interrupted or
// failed capture never looks complete.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct FrameFormat {
  int width = 640;
  int height = 480;
  long fpsNumerator = 60;
  long fpsDenominator = 1;
  int audioRate = 44100;
};

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // Checks the destination and starts writing; the audio covers the frames to come.
  virtual bool begin(const std::vector<int16_t>& audio, std::string* error) = 0;
  virtual bool addFrame(const uint32_t* pixels, std::string* error) = 0;
  // Completes the output under its final name.
  virtual bool finish(std::string* error) = 0;
  // Removes whatever was written.
  virtual void abandon() = 0;
};

std::unique_ptr<FrameSink> makePngFolderSink(const std::string& folder, const FrameFormat& format);
std::unique_ptr<FrameSink> makeSinglePngSink(const std::string& file, const FrameFormat& format);
// Returns nullptr, with the reason, when ffmpeg is not on the PATH.
std::unique_ptr<FrameSink> makeVideoSink(const std::string& file, const FrameFormat& format, std::string* error);
