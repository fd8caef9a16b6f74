#include "render/blits.h"

#include <algorithm>

#include "render/pixel_runs.h"
#include "render/pixel_work.h"
#include "render/screen.h"
#include "render/show_state.h"
#include "resources/picture.h"

namespace {

// Only pictures laid out as decoded (three bytes a pixel, rows without gaps)
// are drawn; anything else could send a read past the end of the pixels.
bool hasDrawableLayout(const Image& image) {
  if (image.width <= 0 || image.height <= 0) return false;
  if (static_cast<int64_t>(image.rowStride) != 3 * static_cast<int64_t>(image.width)) return false;
  return image.pixels.size() >= static_cast<size_t>(image.rowStride) * static_cast<size_t>(image.height);
}

// The part of a centred picture that lands on the framebuffer: picture
// columns [firstColumn, endColumn) and rows [firstRow, endRow), placed with
// their top-left corner at (left, top).
struct Placement {
  int64_t left, top;
  int64_t firstColumn, endColumn;
  int64_t firstRow, endRow;
  bool empty() const { return firstColumn >= endColumn || firstRow >= endRow; }
};

// The whole picture is rejected by its centre point, not its edges: it
// vanishes once the centre reaches column 640 or row 480, but on the left and
// top it is clipped until the centre passes -width or -height.
bool placeCentred(const Image& image, int32_t x, int32_t y, Placement& out) {
  if (x >= Screen::width || x < -image.width || y >= Screen::height || y < -image.height || image.height <= 0) {
    return false;
  }
  out.left = static_cast<int64_t>(x) - image.width / 2;
  out.top = static_cast<int64_t>(y) - image.height / 2;
  out.firstColumn = std::max<int64_t>(0, -out.left);
  out.endColumn = std::min<int64_t>(image.width, Screen::width - out.left);
  out.firstRow = std::max<int64_t>(0, -out.top);
  out.endRow = std::min<int64_t>(image.height, Screen::height - out.top);
  return !out.empty();
}

// Framebuffer word of picture pixel (i, j); only called for pixels inside the placement.
uint32_t& targetPixel(const Placement& place, int64_t i, int64_t j) {
  return Screen::pixels[(place.top + j) * Screen::width + place.left + i];
}

}  // namespace

namespace blits {

float advanceScrollOffset(float offset, float step, float limit) {
  const float moved = offset + step;
  // Written as "inside the range" so that a step that is not a number snaps
  // to 0 as well instead of reaching the integer conversion.
  return (moved > -limit && moved < limit) ? moved : 0.0f;
}

}  // namespace blits

void Picture::drawOpaque(int32_t x, int32_t y) const {
  if (!pixelwork::enabled() || !image || !hasDrawableLayout(*image)) return;
  Placement place;
  if (!placeCentred(*image, x, y, place)) return;
  for (int64_t j = place.firstRow; j < place.endRow; ++j) {
    const uint8_t* source = image->pixels.data() + j * image->rowStride;
    pixelruns::packRgbRun(source + 3 * place.firstColumn, &targetPixel(place, place.firstColumn, j),
                          place.endColumn - place.firstColumn);
  }
}

bool Picture::coversScreen(int32_t x, int32_t y) const {
  if (!image || !hasDrawableLayout(*image)) return false;
  Placement place;
  if (!placeCentred(*image, x, y, place)) return false;
  return place.left + place.firstColumn == 0 && place.left + place.endColumn == Screen::width &&
         place.top + place.firstRow == 0 && place.top + place.endRow == Screen::height;
}

void Picture::drawKeyed(int32_t x, int32_t y, const Image* mask) const {
  if (!pixelwork::enabled() || !image || !hasDrawableLayout(*image)) return;
  Placement place;
  if (!placeCentred(*image, x, y, place)) return;

  // The key of picture pixel (i, j) is the mask's pixel at the same offset
  // j * width + i; pixels whose key would lie past the end of a smaller mask
  // have no key and stay hidden.
  const int64_t maskPixels = mask != nullptr ? static_cast<int64_t>(mask->pixels.size() / 3) : 0;
  for (int64_t j = place.firstRow; j < place.endRow; ++j) {
    const int64_t rowOffset = j * image->width;
    const int64_t endColumn = mask != nullptr ? std::min(place.endColumn, maskPixels - rowOffset) : place.endColumn;
    if (endColumn <= place.firstColumn) continue;
    const uint8_t* source = image->pixels.data() + 3 * rowOffset;
    const uint8_t* key = mask != nullptr ? mask->pixels.data() + 3 * rowOffset : source;
    pixelruns::packKeyedRun(source + 3 * place.firstColumn, key + 3 * place.firstColumn,
                            &targetPixel(place, place.firstColumn, j), endColumn - place.firstColumn);
  }
}

bool Picture::drawScrolling(float dx, float dy, float scale) const {
  if (!image || image->width != Screen::width || image->height != Screen::height || !hasDrawableLayout(*image)) {
    return false;
  }

  float& scrollOffsetX = showState.scrollOffsetX;
  float& scrollOffsetY = showState.scrollOffsetY;
  scrollOffsetX = blits::advanceScrollOffset(scrollOffsetX, dx * scale, static_cast<float>(Screen::width));
  scrollOffsetY = blits::advanceScrollOffset(scrollOffsetY, dy * scale, static_cast<float>(Screen::height));
  const int ox = static_cast<int>(scrollOffsetX);  // truncation toward zero
  const int oy = static_cast<int>(scrollOffsetY);
  // The offsets move whether or not the pixels are written.
  if (!pixelwork::enabled()) return true;

  // Each picture row lands on one framebuffer row in two runs: picture
  // columns [0, split) go to [firstTarget, 640), the rest wrap round to
  // [0, firstTarget).
  const int firstTarget = ox >= 0 ? ox : Screen::width + ox;
  const int split = Screen::width - firstTarget;
  for (int j = 0; j < Screen::height; ++j) {
    int ty = j + oy;
    if (ty < 0) ty += Screen::height;
    if (ty >= Screen::height) ty -= Screen::height;
    const uint8_t* source = image->pixels.data() + j * image->rowStride;
    uint32_t* target = Screen::pixels + ty * Screen::width;
    pixelruns::packRgbRun(source, target + firstTarget, split);
    pixelruns::packRgbRun(source + 3 * split, target, Screen::width - split);
  }
  return true;
}
