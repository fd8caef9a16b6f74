// Decoding JPEG files back, to check and preview what the generator wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkmedia {

struct DecodedImage {
  int width = 0;
  int height = 0;
  int components = 0;           // 3 for colour files
  std::vector<uint8_t> pixels;  // rows top first, `components` bytes per pixel

  const uint8_t* at(int x, int y) const {
    return pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * size_t(components);
  }
};

// False, with `image` left empty, when the file does not open or is not a
// valid JPEG; the decoder's complaints do not end the process.
bool readJpeg(const std::string& path, DecodedImage& image);

}  // namespace mkmedia
