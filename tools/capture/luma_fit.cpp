#include "luma_fit.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#if defined(__x86_64__) && defined(__SSE2__)
#include <emmintrin.h>
#define PIXELFOLK_LUMA_FIT_SSE2 1
#else
#define PIXELFOLK_LUMA_FIT_SSE2 0
#endif

namespace {

// BT.601 decoding in limited range: each channel is kY (Y - 16) plus a
// chroma term. Luma adds the same to all three channels, so the luma that
// minimises their squared error sets kY (Y - 16) to the mean of (channel -
// chroma term).
constexpr float kY = 255.0f / 219.0f;
constexpr float kC = 255.0f / 224.0f;
constexpr float kRV = kC * 1.402f, kBU = kC * 1.772f;
constexpr float kGU = kBU * 0.114f / 0.587f, kGV = kRV * 0.299f / 0.587f;

// Upsampling by two with samples centred in their pixel pairs puts every
// pixel a quarter or three quarters of the way from one sample to the next.
// These are ffmpeg's default bicubic (B = 0, C = 0.6) at those points, for
// the samples before, at, after and two after that one; at the edges the
// outermost sample repeats.
constexpr float kQuarter[4] = {-0.084375f, 0.871875f, 0.240625f, -0.028125f};
constexpr float kThreeQuarters[4] = {-0.028125f, 0.240625f, 0.871875f, -0.084375f};

// Row y of a chroma-sized plane upsampled to `width` x `height` pixels.
// `padded` is scratch for the vertically filtered row and its edges.
void upsampleRow(const float* plane, int width, int height, int y, std::vector<float>& padded, float* out) {
  const int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
  const int before = (2 * y - 1) >> 2;  // the sample at or above the pixel, -1 at the top
  const float* vertical = (2 * y - 1) - 4 * before == 1 ? kQuarter : kThreeQuarters;
  const float* rows[4];
  for (int i = 0; i < 4; ++i) {
    const int row = std::clamp(before - 1 + i, 0, chromaHeight - 1);
    rows[i] = plane + static_cast<size_t>(row) * chromaWidth;
  }
  padded.resize(static_cast<size_t>(chromaWidth) + 4);
  float* mid = padded.data() + 2;
  for (int x = 0; x < chromaWidth; ++x) {
    mid[x] = vertical[0] * rows[0][x] + vertical[1] * rows[1][x] + vertical[2] * rows[2][x] + vertical[3] * rows[3][x];
  }
  mid[-2] = mid[-1] = mid[0];
  mid[chromaWidth] = mid[chromaWidth + 1] = mid[chromaWidth - 1];
  // Pixel 2k lies three quarters past sample k - 1, pixel 2k + 1 a quarter past k.
  const int pairs = width / 2;
  for (int k = 0; k < pairs; ++k) {
    const float* s = mid + k - 2;
    out[2 * k] =
        kThreeQuarters[0] * s[0] + kThreeQuarters[1] * s[1] + kThreeQuarters[2] * s[2] + kThreeQuarters[3] * s[3];
    out[2 * k + 1] = kQuarter[0] * s[1] + kQuarter[1] * s[2] + kQuarter[2] * s[3] + kQuarter[3] * s[4];
  }
  if (width & 1) {
    const float* s = mid + pairs - 2;
    out[width - 1] =
        kThreeQuarters[0] * s[0] + kThreeQuarters[1] * s[1] + kThreeQuarters[2] * s[2] + kThreeQuarters[3] * s[3];
  }
}

// Rounded to nearest (even at a half, as the vector conversion does) into 0-255.
inline uint8_t toByte(float v) { return static_cast<uint8_t>(std::clamp(std::lrint(v), 0L, 255L)); }

// Levels kY (Y - 16) as luma bytes.
void storeLuma(const float* levels, size_t n, uint8_t* out) {
  size_t x = 0;
#if PIXELFOLK_LUMA_FIT_SSE2
  const __m128 scale = _mm_set1_ps(1.0f / kY), offset = _mm_set1_ps(16.0f);
  auto words = [&](size_t at) {
    const __m128 a = _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(levels + at), scale), offset);
    const __m128 b = _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(levels + at + 4), scale), offset);
    return _mm_packs_epi32(_mm_cvtps_epi32(a), _mm_cvtps_epi32(b));
  };
  for (; x + 16 <= n; x += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(words(x), words(x + 8)));
  }
#endif
  for (; x < n; ++x) out[x] = toByte(16.0f + levels[x] * (1.0f / kY));
}

// The chroma's term in red, green and blue, from the upsampled chroma.
struct Light {
  float red, green, blue;
};
inline Light lightAt(float u, float v) { return {kRV * v, -kGU * u - kGV * v, kBU * u}; }

// Where a channel would pass 0 or 255 and the source sits at that limit, the
// decoder's clipping makes it exact whatever the luma, so the others alone
// decide, if the channel stays past its limit. Returns kY (Y - 16).
float levelWithClipping(const float target[3], const Light& light, float level) {
  const float terms[3] = {light.red, light.green, light.blue};
  bool clipped[3];
  float sum = 0.0f;
  int free = 0;
  for (int c = 0; c < 3; ++c) {
    const float decoded = level + terms[c];
    clipped[c] = (target[c] == 255.0f && decoded > 255.0f) || (target[c] == 0.0f && decoded < 0.0f);
    if (!clipped[c]) {
      sum += target[c] - terms[c];
      ++free;
    }
  }
  if (free == 0 || free == 3) return level;
  const float refit = sum / static_cast<float>(free);
  for (int c = 0; c < 3; ++c) {
    if (clipped[c] && (target[c] == 255.0f ? refit + terms[c] < 255.0f : refit + terms[c] > 0.0f)) return level;
  }
  return refit;
}

// A channel past its limit by less than this changes the luma by a fraction
// of a step: a source channel at 0 or 255 in a flat area lands within rounding
// of its limit, on either side, and need not take the slow path.
constexpr float kClipMargin = 1.0f;

// One row of levels kY (Y - 16) from its source colours and upsampled
// chroma: the plain least-squares level for every pixel, four at a time on
// x86-64, and again one by one for the few whose decoded colour would clip.
void fitRow(const float* const target[3], const float* us, const float* vs, size_t n, float* levels) {
  const float *r = target[0], *g = target[1], *b = target[2];
  auto refit = [&](size_t x) {
    const float colour[3] = {r[x], g[x], b[x]};
    levels[x] = levelWithClipping(colour, lightAt(us[x], vs[x]), levels[x]);
  };
  size_t x = 0;
#if PIXELFOLK_LUMA_FIT_SSE2
  const __m128 third = _mm_set1_ps(1.0f / 3.0f), floor = _mm_set1_ps(-kClipMargin);
  const __m128 ceiling = _mm_set1_ps(255.0f + kClipMargin);
  for (; x + 4 <= n; x += 4) {
    const __m128 u = _mm_loadu_ps(us + x), v = _mm_loadu_ps(vs + x);
    const __m128 red = _mm_mul_ps(_mm_set1_ps(kRV), v), blue = _mm_mul_ps(_mm_set1_ps(kBU), u);
    const __m128 green = _mm_sub_ps(_mm_mul_ps(_mm_set1_ps(-kGU), u), _mm_mul_ps(_mm_set1_ps(kGV), v));
    const __m128 sum = _mm_add_ps(_mm_add_ps(_mm_loadu_ps(r + x), _mm_loadu_ps(g + x)), _mm_loadu_ps(b + x));
    const __m128 level = _mm_mul_ps(_mm_sub_ps(sum, _mm_add_ps(_mm_add_ps(red, green), blue)), third);
    _mm_storeu_ps(levels + x, level);
    const __m128 low = _mm_add_ps(_mm_min_ps(_mm_min_ps(red, green), blue), level);
    const __m128 high = _mm_add_ps(_mm_max_ps(_mm_max_ps(red, green), blue), level);
    int clipping = _mm_movemask_ps(_mm_or_ps(_mm_cmplt_ps(low, floor), _mm_cmpgt_ps(high, ceiling)));
    for (; clipping != 0; clipping &= clipping - 1) refit(x + static_cast<size_t>(__builtin_ctz(clipping)));
  }
#endif
  for (; x < n; ++x) {
    const Light light = lightAt(us[x], vs[x]);
    levels[x] = (r[x] - light.red + g[x] - light.green + b[x] - light.blue) * (1.0f / 3.0f);
    const float low = std::min(std::min(light.red, light.green), light.blue) + levels[x];
    const float high = std::max(std::max(light.red, light.green), light.blue) + levels[x];
    if (low < -kClipMargin || high > 255.0f + kClipMargin) refit(x);
  }
}

}  // namespace

void fitLumaToUpsampledChroma(const uint32_t* pixels, int width, int height, int scale, uint8_t* yuv) {
  const int outWidth = width * scale, outHeight = height * scale;
  const size_t chromaSize = static_cast<size_t>((outWidth + 1) / 2) * ((outHeight + 1) / 2);
  const uint8_t* u = yuv + static_cast<size_t>(outWidth) * outHeight;
  // Kept from frame to frame: a frame of 2560 x 1920 needs 5 MB of them.
  thread_local std::vector<float> blue, red, padded, us, vs, levels, targets[3];
  blue.resize(chromaSize);
  red.resize(chromaSize);
  for (size_t i = 0; i < chromaSize; ++i) {
    blue[i] = static_cast<float>(u[i]) - 128.0f;
    red[i] = static_cast<float>(u[chromaSize + i]) - 128.0f;
  }
  const size_t n = static_cast<size_t>(outWidth);
  for (auto* row : {&us, &vs, &levels, &targets[0], &targets[1], &targets[2]}) row->resize(n);
  float* const target[3] = {targets[0].data(), targets[1].data(), targets[2].data()};
  int targetRow = -1;
  for (int y = 0; y < outHeight; ++y) {
    if (y / scale != targetRow) {
      targetRow = y / scale;
      const uint32_t* row = pixels + static_cast<size_t>(targetRow) * width;
      for (int sx = 0, x = 0; sx < width; ++sx) {
        for (int j = 0; j < scale; ++j, ++x) {
          target[0][x] = static_cast<float>(row[sx] >> 16 & 0xFF);
          target[1][x] = static_cast<float>(row[sx] >> 8 & 0xFF);
          target[2][x] = static_cast<float>(row[sx] & 0xFF);
        }
      }
    }
    upsampleRow(blue.data(), outWidth, outHeight, y, padded, us.data());
    upsampleRow(red.data(), outWidth, outHeight, y, padded, vs.data());
    fitRow(target, us.data(), vs.data(), n, levels.data());
    storeLuma(levels.data(), n, yuv + static_cast<size_t>(y) * outWidth);
  }
}

void decodeUpsampled(const uint8_t* yuv, int width, int height, uint32_t* out) {
  const int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
  const size_t chromaSize = static_cast<size_t>(chromaWidth) * chromaHeight;
  const uint8_t* u = yuv + static_cast<size_t>(width) * height;
  std::vector<float> blue(chromaSize), red(chromaSize);
  for (size_t i = 0; i < chromaSize; ++i) {
    blue[i] = static_cast<float>(u[i]) - 128.0f;
    red[i] = static_cast<float>(u[chromaSize + i]) - 128.0f;
  }
  std::vector<float> padded, us(static_cast<size_t>(width)), vs(static_cast<size_t>(width));
  for (int y = 0; y < height; ++y) {
    upsampleRow(blue.data(), width, height, y, padded, us.data());
    upsampleRow(red.data(), width, height, y, padded, vs.data());
    for (int x = 0; x < width; ++x) {
      const float luma = kY * (static_cast<float>(yuv[static_cast<size_t>(y) * width + x]) - 16.0f);
      const uint32_t r = toByte(luma + kRV * vs[x]);
      const uint32_t g = toByte(luma - kGU * us[x] - kGV * vs[x]);
      const uint32_t b = toByte(luma + kBU * us[x]);
      out[static_cast<size_t>(y) * width + x] = r << 16 | g << 8 | b;
    }
  }
}
