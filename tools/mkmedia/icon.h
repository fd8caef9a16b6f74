// The show's desktop icon: the lead pixel folk dancer from the opening, on a
// rounded tile in the dusk colours of the greetings, with a transparent
// surround. Drawn anew at each size so the pixel art stays crisp.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mkmedia {

struct IconImage {
  int size = 0;
  std::vector<uint8_t> rgba;  // size x size, rows top first, straight alpha
};

IconImage makeIcon(int size);

// The sizes a desktop menu asks for.
inline constexpr int kIconSizes[] = {48, 128, 256};
// The sizes a browser wants in a web app's manifest to offer installing it.
inline constexpr int kWebIconSizes[] = {192, 512};

// Writes DIR/icon-SIZE.png for every size of `sizes`; false when one cannot be written.
bool writeIcons(const std::string& dir, std::span<const int> sizes);

}  // namespace mkmedia
