// The opening's middle picture as a rule of the instrument-1 count alone, so
// that tools can replay it over a soundtrack without drawing anything: an
// even count selects one of pictures 6 .. 16, an odd count keeps the last.
#pragma once

#include <cstdint>

inline constexpr int32_t kFirstMiddlePicture = 6;
inline constexpr int32_t kMiddlePictureCount = 11;
// What the opening shows if its first frame already finds an odd count.
inline constexpr int32_t kInitialMiddlePicture = 7;

constexpr int32_t middlePictureAfter(int32_t count, int32_t shown) {
  return count % 2 == 0 ? count % kMiddlePictureCount + kFirstMiddlePicture : shown;
}
