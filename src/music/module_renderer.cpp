#include "music/module_renderer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "music/module_check.h"
#include "platform/platform.h"

namespace {

// libxmp's slowest tick: 2.5 s / BPM at its lowest BPM.
constexpr int kTickMillisecondsAtOneBpm = 2500;

ModuleBytes bytesOfFile(FILE* file) {
  return [file](int64_t offset, void* out, size_t count) {
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 && std::fread(out, 1, count, file) == count;
  };
}

ModuleBytes bytesInMemory(const void* data, size_t size) {
  return [data, size](int64_t offset, void* out, size_t count) {
    if (offset < 0 || static_cast<uint64_t>(offset) > size || count > size - static_cast<size_t>(offset)) return false;
    std::memcpy(out, static_cast<const uint8_t*>(data) + offset, count);
    return true;
  };
}

}  // namespace

ModuleRenderer::ModuleRenderer() : context_(xmp_create_context()) {
  if (context_ == nullptr) setFailure("the module player could not be created");
}

ModuleRenderer::~ModuleRenderer() {
  if (context_ == nullptr) return;
  unload();
  xmp_free_context(context_);
}

int ModuleRenderer::maxTickFrames(int rate) {
  return static_cast<int>(static_cast<int64_t>(rate) * kTickMillisecondsAtOneBpm / (XMP_MIN_BPM * 1000)) + 2;
}

void ModuleRenderer::setFailure(const char* text) { std::snprintf(failure_, sizeof failure_, "%s", text); }

void ModuleRenderer::unload() {
  if (!loaded_) return;
  xmp_end_player(context_);
  xmp_release_module(context_);
  loaded_ = false;
}

int ModuleRenderer::instrumentCount() const {
  if (!loaded_) return 0;
  xmp_module_info info{};
  xmp_get_module_info(context_, &info);
  return info.mod != nullptr ? info.mod->ins : 0;
}

bool ModuleRenderer::loadFile(const char* path, int rate) {
  if (context_ == nullptr) return false;
  unload();
  if (path == nullptr) {
    setFailure("no file name");
    return false;
  }
  errno = 0;
  int64_t size = 0;
  FILE* file = platform::openRegularFile(path, "rb", &size);
  if (file == nullptr) {
    setFailure(errno == EINVAL ? "not a regular file" : errno != 0 ? std::strerror(errno) : "cannot be read");
    return false;
  }
  // libxmp reports a read error only as a system error; ask errno why.
  errno = 0;
  const int result = xmp_load_module_from_file(context_, file, static_cast<long>(size));
  // libxmp takes a read error for the end of the file, and would play what it got.
  const bool readFailed = std::ferror(file) != 0;
  ModuleExtent extent;
  if (result == 0 && !readFailed) extent = measureXmExtent(size, bytesOfFile(file));
  std::fclose(file);
  if (readFailed) {
    if (result == 0) xmp_release_module(context_);
    setFailure("cannot be read");
    return false;
  }
  if (!start(result, rate)) return false;
  extent_ = extent;
  return true;
}

bool ModuleRenderer::loadMemory(const void* data, size_t size, int rate) {
  if (context_ == nullptr) return false;
  unload();
  if (data == nullptr || size == 0 || size > static_cast<size_t>(0x7FFFFFFF)) {
    setFailure("no module data");
    return false;
  }
  const int result = xmp_load_module_from_memory(context_, data, static_cast<long>(size));
  if (!start(result, rate)) return false;
  extent_ = measureXmExtent(static_cast<int64_t>(size), bytesInMemory(data, size));
  return true;
}

bool ModuleRenderer::start(int loadResult, int rate) {
  switch (loadResult) {
    case 0:
      break;
    case -XMP_ERROR_FORMAT:
      setFailure("not a module libxmp can play");
      return false;
    case -XMP_ERROR_SYSTEM: {
      const int code = xmp_syserrno();
      setFailure(code != 0 ? std::strerror(code) : "cannot be read");
      return false;
    }
    default:
      setFailure("the module is damaged or cannot be read");
      return false;
  }
  xmp_module_info info{};
  xmp_get_module_info(context_, &info);
  silencedSamples_ = info.mod != nullptr ? silenceSamplesWithoutData(*info.mod) : 0;
  extent_ = ModuleExtent{};
  if (xmp_start_player(context_, rate, 0) != 0) {
    xmp_release_module(context_);
    setFailure("the module cannot play at this rate");
    return false;
  }
  xmp_set_player(context_, XMP_PLAYER_INTERP, XMP_INTERP_SPLINE);
  loaded_ = true;
  ended_ = false;
  rate_ = rate;
  framesRendered_ = 0;
  tracker_.reset(instrumentCount());
  failure_[0] = '\0';
  return true;
}

bool ModuleRenderer::renderTick(int16_t* out, int capacityFrames, RenderedTick* tick) {
  if (!loaded_ || out == nullptr || tick == nullptr || capacityFrames < maxTickFrames()) return false;
  tick->frames = 0;
  tick->firstFrame = framesRendered_;
  tick->triggerCount = 0;
  if (ended_) return true;

  const int result = xmp_play_frame(context_);
  xmp_frame_info info;
  xmp_get_frame_info(context_, &info);
  // The first tick of a second pass is already mixed; drop it unheard.
  if (result != 0 || info.loop_count > 0) {
    ended_ = true;
    return true;
  }

  int frames = info.buffer_size / static_cast<int>(2 * sizeof(int16_t));
  if (frames < 0 || info.buffer == nullptr) frames = 0;
  if (frames > capacityFrames) frames = capacityFrames;  // cannot happen within libxmp's BPM range
  std::memcpy(out, info.buffer, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
  tick->frames = frames;
  framesRendered_ += frames;

  xmp_module_info moduleInfo{};
  xmp_get_module_info(context_, &moduleInfo);
  tick->triggerCount = tracker_.onTick(*moduleInfo.mod, info.pattern, info.row, info.frame, tick->triggers);
  return true;
}
