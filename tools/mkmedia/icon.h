// The show's desktop icon: the lead pixel folk dancer from the opening, on a
// rounded tile in the dusk colours of the greetings, with a transparent
// surround. Drawn anew at each size so the pixel art stays crisp.
#pragma once

#include <cstdint>
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

// Writes DIR/icon-SIZE.png for every size; false when one cannot be written.
bool writeIcons(const std::string& dir);

}  // namespace mkmedia
