#include "show_writer.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "imageio/jpeg_writer.h"

namespace mkmedia {

namespace {

bool writeJob(const std::filesystem::path& showDir, const RenderJob& job) {
  std::filesystem::path path = showDir / job.path;
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) return false;
  Canvas canvas = job.render();
  if (canvas.width <= 0 || canvas.height <= 0) return false;
  std::vector<uint8_t> rgb = toRgbBytes(canvas);
  return imageio::writeJpeg(path.string(), canvas.width, canvas.height, rgb.data(), {.quality = job.quality});
}

bool writeText(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

}  // namespace

int writeJobs(const std::string& showDir, const std::vector<RenderJob>& jobs, int workers) {
  std::atomic<size_t> next{0};
  std::atomic<int> failures{0};
  auto work = [&] {
    for (size_t i = next++; i < jobs.size(); i = next++) {
      if (!writeJob(showDir, jobs[i])) {
        std::fprintf(stderr, "mkmedia: could not write %s\n", jobs[i].path.c_str());
        ++failures;
      }
    }
  };
  std::vector<std::thread> threads;
  for (int i = 1; i < workers; ++i) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();
  return failures;
}

bool writeShow(const std::string& showDir, int workers) {
  ShowMedia media = showMedia();
  if (writeJobs(showDir, renderJobs(media), workers) != 0) return false;
  if (!writeText(std::filesystem::path(showDir) / "resinfo.rli", resourceListText(media))) {
    std::fprintf(stderr, "mkmedia: could not write %s/resinfo.rli\n", showDir.c_str());
    return false;
  }
  return true;
}

}  // namespace mkmedia
