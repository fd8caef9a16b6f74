#include "show_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "imageio/jpeg_writer.h"

namespace mkmedia::testing {

std::string freshFolder(const std::string& tag) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  // The process id keeps suites run at once from other build folders (or
  // by other users of the machine) out of each other's files.
  std::string name = "mkmedia-" + std::to_string(getpid()) + "-" + tag;
  if (info) name += std::string("-") + info->test_suite_name() + "-" + info->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string();
}

DecodedImage throughJpeg(const Canvas& canvas, int quality, const std::string& tag) {
  std::string path = freshFolder(tag) + "/picture.jpg";
  std::vector<uint8_t> rgb = toRgbBytes(canvas);
  DecodedImage image;
  if (imageio::writeJpeg(path, canvas.width, canvas.height, rgb.data(), {.quality = quality})) readJpeg(path, image);
  return image;
}

std::vector<ListedResource> parseResourceList(const std::string& text, bool& ok) {
  ok = true;
  std::vector<ListedResource> list;
  std::istringstream in(text);
  std::string line;
  char name[128] = "";
  int type = 0, frames = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 79) ok = false;
    if (line.empty() || line[0] == '.') continue;
    if (line.size() >= sizeof(name)) {
      ok = false;
      continue;
    }
    std::sscanf(line.c_str(), "%127s %i %i", name, &type, &frames);
    if (type != 1 && type != 2) ok = false;
    list.push_back({name, type, type == 2 ? frames : 0});
    if (type == 1) type = 0;
  }
  return list;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace mkmedia::testing
