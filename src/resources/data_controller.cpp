#include "resources/data_controller.h"

#include <cstdio>
#include <memory>

#include "platform/platform.h"
#include "resources/error_message.h"
#include "resources/resource_list.h"

using resources::failWithError;

namespace {

[[noreturn]] void failOnListSize(const char* listPath) {
  failWithError("The resfile %s is larger than %lli bytes, the most a resource list may hold.", listPath,
                static_cast<long long>(resources::kMaxListBytes));
}

}  // namespace

DataController::DataController(const char* listPath) {
  // A directory, FIFO or device is no list: reading one would fail, never
  // end, or look like an empty list and a blank show.
  int64_t size = 0;
  // Closed however the reading ends, also when a harness goes on after an exit.
  const std::unique_ptr<FILE, int (*)(FILE*)> list(platform::openRegularFile(listPath, "r", &size), &std::fclose);
  FILE* file = list.get();
  if (file == nullptr) failWithError("Couldn't open DataController file!");
  if (size > resources::kMaxListBytes) failOnListSize(listPath);
  resources::skipByteOrderMark(file);

  resources::ResourceFields fields;
  int32_t lineNumber = 1;
  int32_t resourceCount = 0;
  char path[resources::kPathBufferSize];

  for (resources::ListLine line = resources::readListLine(file);; line = resources::readListLine(file)) {
    if (line.failed) failWithError("Couldn't open DataController file!");
    if (!line.present) break;
    // A file that grows while it is read is held to the same limit.
    if (std::ftell(file) > resources::kMaxListBytes) failOnListSize(listPath);
    if (line.tooLong) {
      failWithError("Line %i in the resfile %s is longer than %i characters.", lineNumber, listPath,
                    resources::kMaxListLineLength);
    }
    if (resources::isCommentLine(line.text)) {
      ++lineNumber;
      continue;
    }

    resources::scanResourceLine(line.text, fields);
    if (fields.type == resources::kPictureType) {
      if (!resources::buildPicturePath(fields.name, path)) {
        failWithError("Name too long at line %i in the resfile %s. A picture name holds at most 65 characters.",
                      lineNumber, listPath);
      }
      const Picture& picture = *pictures.emplace_back(std::make_unique<Picture>(path, resourceCount));
      if (!picture.image) {
        failWithError(
            "Error loading image at line %i in the resfile %s. Invalid path, or too many animation frames "
            "specified.",
            lineNumber, listPath);
      }
      fields.type = 0;  // a picture line does not carry its type to the next line
    } else if (fields.type == resources::kAnimationType) {
      if (!resources::buildAnimationPath(fields.name, path)) {
        failWithError("Name too long at line %i in the resfile %s. An animation name holds at most 29 characters.",
                      lineNumber, listPath);
      }
      const Animation& animation =
          *animations.emplace_back(std::make_unique<Animation>(path, fields.frameCount, resourceCount));
      if (!animation.frames) {
        failWithError(
            "Error loading animation at line %i in the resfile %s. Invalid path, or too many animation frames "
            "specified.",
            lineNumber, listPath);
      }
    } else {
      failWithError("Syntax error in resourcetype field at line %i in file %s. %i found, expected 1 or 2", lineNumber,
                    listPath, fields.type);
    }
    ++lineNumber;
    ++resourceCount;
  }
}

Picture* DataController::getPicture(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= pictures.size()) return nullptr;
  return pictures[static_cast<size_t>(index)].get();
}

Animation* DataController::getAnimation(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= animations.size()) return nullptr;
  return animations[static_cast<size_t>(index)].get();
}

Picture* DataController::getAnimationFrame(int32_t index, int32_t frame) {
  Animation* animation = getAnimation(index);
  if (animation == nullptr || !animation->frames) return nullptr;
  if (frame < 0 || frame >= animation->frameCount) return nullptr;
  return &animation->frames[frame];
}
