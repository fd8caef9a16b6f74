// Replays inputs through a harness without libFuzzer, so that the normal
// test suite (and its sanitizer build) runs every seed and every input that
// once crashed: each argument is a file, or a folder whose files are read.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void replay(const std::filesystem::path& path, int* count) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  ++*count;
}

}  // namespace

int main(int argc, char** argv) {
  // Paths first: the resource-list harness changes the working directory.
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path = std::filesystem::absolute(argv[i]);
    if (!std::filesystem::exists(path)) continue;  // a harness without regressions yet
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) inputs.push_back(entry.path());
      }
    } else {
      inputs.push_back(path);
    }
  }
  LLVMFuzzerInitialize(&argc, &argv);
  int count = 0;
  for (const auto& input : inputs) replay(input, &count);
  std::printf("%d inputs replayed\n", count);
  return count > 0 ? 0 : 1;
}
