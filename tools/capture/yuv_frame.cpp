#include "yuv_frame.h"

namespace {

// BT.601 in limited range, scaled by 2^16: Y = 16 + (65.481 R + 128.553 G +
// 24.966 B) / 255, Cb = 128 + (-37.797 R - 74.203 G + 112 B) / 255, Cr = 128 +
// (112 R - 93.786 G - 18.214 B) / 255.
constexpr int kShift = 16;
constexpr int kYR = 16829, kYG = 33039, kYB = 6416;
constexpr int kUR = -9714, kUG = -19070, kUB = 28784;
constexpr int kVR = 28784, kVG = -24103, kVB = -4681;
constexpr int kHalf = 1 << (kShift - 1);

inline int red(uint32_t p) { return static_cast<int>(p >> 16 & 0xFF); }
inline int green(uint32_t p) { return static_cast<int>(p >> 8 & 0xFF); }
inline int blue(uint32_t p) { return static_cast<int>(p & 0xFF); }

}  // namespace

size_t yuv420Size(int width, int height) {
  const size_t chroma = static_cast<size_t>((width + 1) / 2) * static_cast<size_t>((height + 1) / 2);
  return static_cast<size_t>(width) * static_cast<size_t>(height) + 2 * chroma;
}

void convertToYuv420(const uint32_t* pixels, int width, int height, uint8_t* out) {
  uint8_t* yPlane = out;
  const int chromaWidth = (width + 1) / 2;
  uint8_t* uPlane = out + static_cast<size_t>(width) * height;
  uint8_t* vPlane = uPlane + static_cast<size_t>(chromaWidth) * ((height + 1) / 2);
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels + static_cast<size_t>(y) * width;
    uint8_t* yRow = yPlane + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      const uint32_t p = row[x];
      yRow[x] = static_cast<uint8_t>(16 + ((kYR * red(p) + kYG * green(p) + kYB * blue(p) + kHalf) >> kShift));
    }
  }
  for (int cy = 0; cy < (height + 1) / 2; ++cy) {
    const int y0 = 2 * cy, y1 = y0 + 1 < height ? y0 + 1 : y0;
    const uint32_t* top = pixels + static_cast<size_t>(y0) * width;
    const uint32_t* bottom = pixels + static_cast<size_t>(y1) * width;
    for (int cx = 0; cx < chromaWidth; ++cx) {
      const int x0 = 2 * cx, x1 = x0 + 1 < width ? x0 + 1 : x0;
      const uint32_t q[4] = {top[x0], top[x1], bottom[x0], bottom[x1]};
      // Sums of four: the averages' scale is folded into the shift.
      int r = 0, g = 0, b = 0;
      for (const uint32_t p : q) {
        r += red(p);
        g += green(p);
        b += blue(p);
      }
      const int u = (kUR * r + kUG * g + kUB * b + 4 * kHalf) >> (kShift + 2);
      const int v = (kVR * r + kVG * g + kVB * b + 4 * kHalf) >> (kShift + 2);
      uPlane[static_cast<size_t>(cy) * chromaWidth + cx] = static_cast<uint8_t>(128 + u);
      vPlane[static_cast<size_t>(cy) * chromaWidth + cx] = static_cast<uint8_t>(128 + v);
    }
  }
}
