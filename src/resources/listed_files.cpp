#include "resources/listed_files.h"

#include <cstdio>
#include <memory>

#include "platform/platform.h"
#include "resources/resource_list.h"

namespace resources {
namespace {

// No listed animation comes near this; a count beyond it is cut, since each
// watched frame costs a look at the file system twice a second.
constexpr int32_t kMostWatchedFrames = 1000;

}  // namespace

std::vector<ListedFile> listedFiles(const char* listPath) {
  std::vector<ListedFile> files{{listPath}};
  int64_t size = 0;
  const std::unique_ptr<FILE, int (*)(FILE*)> list(platform::openRegularFile(listPath, "r", &size), &std::fclose);
  if (!list || size > kMaxListBytes) return files;

  ResourceFields fields;
  char path[kPathBufferSize];
  int32_t pictures = 0;
  int32_t animations = 0;
  for (ListLine line = readListLine(list.get()); line.present && !line.tooLong; line = readListLine(list.get())) {
    if (isCommentLine(line.text)) continue;
    scanResourceLine(line.text, fields);
    if (fields.type == kPictureType) {
      if (!buildPicturePath(fields.name, path)) break;
      files.push_back({path, ListedFile::Kind::picture, pictures++, 0});
      fields.type = 0;
    } else if (fields.type == kAnimationType) {
      if (!buildAnimationPath(fields.name, path)) break;
      // "<folder>/<name>.jpg" names frame i "<folder>/<name> <i>.jpg".
      const std::string base(path, std::string(path).size() - 4);
      for (int32_t i = 1; i <= fields.frameCount && i <= kMostWatchedFrames; ++i) {
        files.push_back({base + " " + std::to_string(i) + ".jpg", ListedFile::Kind::animationFrame, animations, i - 1});
      }
      ++animations;
    } else {
      break;
    }
  }
  return files;
}

}  // namespace resources
