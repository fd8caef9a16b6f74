#include <cstring>

#include "display/pixel_rows.h"
#include "display/pixel_rules.h"

namespace portable_rows {

using namespace pixel_rules;

void copy32(uint8_t* destination, const uint32_t* source, size_t byteCount) {
  if (byteCount > 0) std::memcpy(destination, source, byteCount);
}

void swap32(uint8_t* destination, const uint32_t* source, size_t count) {
  for (size_t i = 0; i < count; ++i) storeWord(destination + 4 * i, swapRedBlue(loadWord(source + i)));
}

void pack24(uint8_t* destination, const uint32_t* source, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t pixel = loadWord(source + i);
    destination[3 * i + 0] = static_cast<uint8_t>(pixel);
    destination[3 * i + 1] = static_cast<uint8_t>(pixel >> 8);
    destination[3 * i + 2] = static_cast<uint8_t>(pixel >> 16);
  }
}

void pack24Swapped(uint8_t* destination, const uint32_t* source, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t pixel = loadWord(source + i);
    destination[3 * i + 0] = static_cast<uint8_t>(pixel >> 16);
    destination[3 * i + 1] = static_cast<uint8_t>(pixel >> 8);
    destination[3 * i + 2] = static_cast<uint8_t>(pixel);
  }
}

void pack565(uint8_t* destination, const uint32_t* source, size_t count) {
  for (size_t i = 0; i < count; ++i) storeHalf(destination + 2 * i, toRgb565(loadWord(source + i)));
}

void pack565Swapped(uint8_t* destination, const uint32_t* source, size_t count) {
  for (size_t i = 0; i < count; ++i) storeHalf(destination + 2 * i, toBgr565(loadWord(source + i)));
}

void pack555(uint8_t* destination, const uint32_t* source, size_t count) {
  for (size_t i = 0; i < count; ++i) storeHalf(destination + 2 * i, toRgb555(loadWord(source + i)));
}

void pack555Swapped(uint8_t* destination, const uint32_t* source, size_t count) {
  for (size_t i = 0; i < count; ++i) storeHalf(destination + 2 * i, toBgr555(loadWord(source + i)));
}

}  // namespace portable_rows
