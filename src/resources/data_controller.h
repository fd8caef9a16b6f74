// Owner of every picture and animation of the show, read from the resource
// list at start-up and handed out by position in the list.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "resources/animation.h"
#include "resources/picture.h"

class DataController {
 public:
  // Reads the list and loads everything it names. Any error (list missing,
  // bad line, file that does not load) shows a message and ends the process
  // with exit code 1, so a constructed DataController holds every resource.
  // While a resources::ErrorCollector is alive (a rehearsal's reload) the
  // messages are collected and the error throws resources::LoadFailed instead.
  explicit DataController(const char* listPath);

  // Positions count from 0, pictures and animations separately; each getter
  // returns nullptr for a position (or frame) that does not exist.
  Picture* getPicture(int32_t index);
  Animation* getAnimation(int32_t index);
  Picture* getAnimationFrame(int32_t index, int32_t frame);

  std::vector<std::unique_ptr<Picture>> pictures;
  std::vector<std::unique_ptr<Animation>> animations;
};
