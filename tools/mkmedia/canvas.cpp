#include "canvas.h"

#include <cmath>

namespace mkmedia {

namespace {

uint8_t toByte(float v) { return uint8_t(std::lround(clamp01(v) * 255.0f)); }

}  // namespace

std::vector<uint8_t> toRgbBytes(const Canvas& canvas) {
  std::vector<uint8_t> bytes;
  bytes.reserve(canvas.pixels.size() * 3);
  for (const Vec3& p : canvas.pixels) {
    bytes.push_back(toByte(p.x));
    bytes.push_back(toByte(p.y));
    bytes.push_back(toByte(p.z));
  }
  return bytes;
}

void cutDarkTail(Canvas& canvas, float floor) {
  for (Vec3& p : canvas.pixels) {
    if (std::max({p.x, p.y, p.z}) <= floor) p = {};
  }
}

void blendOver(Canvas& dst, const Canvas& src, const std::vector<float>& alpha, int left, int top) {
  for (int y = 0; y < src.height; ++y) {
    for (int x = 0; x < src.width; ++x) {
      if (!dst.contains(left + x, top + y)) continue;
      float a = alpha[size_t(y) * size_t(src.width) + size_t(x)];
      Vec3& d = dst.at(left + x, top + y);
      d = mix(d, src.at(x, y), a);
    }
  }
}

void addBloom(Canvas& canvas, float threshold, float radius, float amount) {
  const int reach = int(std::ceil(radius * 2.5f));
  std::vector<float> kernel(size_t(2 * reach + 1));
  float total = 0;
  for (int i = -reach; i <= reach; ++i)
    total += kernel[size_t(i + reach)] = std::exp(-float(i * i) / (2 * radius * radius));
  for (float& k : kernel) k /= total;

  const int w = canvas.width, h = canvas.height;
  Canvas bright(w, h), across(w, h);
  for (size_t i = 0; i < canvas.pixels.size(); ++i) {
    const Vec3& p = canvas.pixels[i];
    bright.pixels[i] = {std::max(0.0f, p.x - threshold), std::max(0.0f, p.y - threshold),
                        std::max(0.0f, p.z - threshold)};
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      Vec3 sum{};
      for (int i = -reach; i <= reach; ++i) {
        int sx = x + i;
        if (sx >= 0 && sx < w) sum += bright.at(sx, y) * kernel[size_t(i + reach)];
      }
      across.at(x, y) = sum;
    }
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      Vec3 sum{};
      for (int i = -reach; i <= reach; ++i) {
        int sy = y + i;
        if (sy >= 0 && sy < h) sum += across.at(x, sy) * kernel[size_t(i + reach)];
      }
      canvas.at(x, y) += sum * amount;
    }
  }
}

}  // namespace mkmedia
