// One image resource: a decoded JPEG and the blits that put it on screen.
// Loading and releasing live in src/resources, the blits in src/render.
#pragma once

#include <cstdint>
#include <memory>

#include "resources/image.h"

class Picture {
 public:
  // For a listed picture, the count of resources read before it; for an
  // animation frame, its frame number from 1. Lookups never use it.
  int32_t resourceIndex = 0;
  std::unique_ptr<Image> image;  // none until loaded, after a failed load, after release()

  Picture();
  Picture(const char* path, int32_t resourceIndex);

  // Decodes the JPEG at path. A file that does not open, or a picture the
  // show does not use (CMYK, too large), is reported in a message box, the
  // reason first, and leaves the Picture without image; a file the decoder
  // rejects (corrupt, 12-bit, lossless) ends the process with its message and
  // exit code 1 (throws LoadFailed under a
  // resources::ErrorCollector). A picture the decoder only warns about (cut short, damaged
  // bytes) is used as decoded, its first warning named with the file.
  void load(const char* path, int32_t resourceIndex);
  void release();

  // Centred on (x, y), clipped to the framebuffer.
  void drawOpaque(int32_t x, int32_t y) const;
  // Whether drawOpaque(x, y) writes every framebuffer pixel, so that whatever
  // was there before it cannot show.
  bool coversScreen(int32_t x, int32_t y) const;
  // Like drawOpaque, but leaves out pixels whose key (the mask's pixel at the
  // same offset, or the picture's own without a mask) has every byte below 20.
  void drawKeyed(int32_t x, int32_t y, const Image* mask) const;
  // Advances the shared scroll offsets by (dx, dy) * scale and fills the whole
  // framebuffer with the picture, shifted and wrapped. Only 640 x 480 pictures:
  // returns whether it filled the framebuffer (false: it drew nothing).
  bool drawScrolling(float dx, float dy, float scale) const;
};
