// Encodes framebuffer frames as PNG files in memory, one encoder per thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ZlibRleWriter;

// How the image data is deflated. Both give standard 8-bit RGB PNG files that
// every viewer reads; they differ in speed and size.
enum class PngCompression {
  fast,        // "sub" filter, runs of a byte as matches, Huffman codes per block: what a capture uses
  libdeflate,  // "sub" filter, libdeflate at its fastest level: kept to compare against
  zlib,        // libpng at level 1 with the "sub" filter: the earlier setting, kept to compare against
};

// Parses "fast", "libdeflate" or "zlib".
bool parsePngCompression(const std::string& name, PngCompression* out);

class FramePngEncoder {
 public:
  explicit FramePngEncoder(PngCompression compression = PngCompression::fast);
  ~FramePngEncoder();
  FramePngEncoder(const FramePngEncoder&) = delete;
  FramePngEncoder& operator=(const FramePngEncoder&) = delete;

  // Encodes width x height words 0x00RRGGBB as an 8-bit RGB PNG into `png`
  // (replacing its contents); the top byte carries no colour and is dropped,
  // as the display does. The same pixels give the same bytes on every run.
  // With `scale` N each pixel becomes an N x N block of the image.
  bool encode(const uint32_t* pixels, int width, int height, std::vector<uint8_t>* png, std::string* error,
              int scale = 1);

 private:
  struct Deflater;
  PngCompression compression_;
  std::unique_ptr<Deflater> deflater_;
  std::unique_ptr<ZlibRleWriter> rle_;
  std::vector<uint8_t> filtered_;
  std::vector<uint32_t> differences_;  // one row
  std::vector<uint32_t> wide_;         // one source row, enlarged
};

// Writes `bytes` to `path` in one go; false with a reason when not all were written.
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
