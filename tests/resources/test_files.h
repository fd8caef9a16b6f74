// Scratch folders, JPEG fixtures and stderr helpers for the resource tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imageio/jpeg_writer.h"

namespace testfiles {

struct Rgb {
  uint8_t r, g, b;
};

// A fresh folder made the working directory for the test's lifetime, so the
// relative paths "data/jpgs/..." resolve inside it.
class ScratchDir {
 public:
  ScratchDir() : previous_(std::filesystem::current_path()) {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "pixelfolk-" + std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name) c = c == '/' ? '_' : c;
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
  }
  ~ScratchDir() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

inline void writeText(const std::string& path, const std::string& text) {
  std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

inline void writeSolidJpeg(const std::string& path, Rgb colour, int width = 16, int height = 16,
                           imageio::JpegOptions options = {100, false}) {
  std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  std::vector<uint8_t> rgb;
  for (int i = 0; i < width * height; ++i) rgb.insert(rgb.end(), {colour.r, colour.g, colour.b});
  ASSERT_TRUE(imageio::writeJpeg(path, width, height, rgb.data(), options)) << path;
}

// Decoded solid colours come back within a few steps of what was encoded.
inline bool closeTo(const uint8_t* pixel, Rgb colour, int tolerance = 3) {
  return std::abs(pixel[0] - colour.r) <= tolerance && std::abs(pixel[1] - colour.g) <= tolerance &&
         std::abs(pixel[2] - colour.b) <= tolerance;
}

inline int countOccurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// A regular expression matching text literally, for death-test messages.
inline std::string literal(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) escaped.push_back('\\');
    escaped.push_back(c);
  }
  return escaped;
}

}  // namespace testfiles
