// mkmedia SHOW_DIR: renders every picture and animation frame of the show
// into SHOW_DIR/data and writes SHOW_DIR/resinfo.rli. The output depends on
// nothing but this program, so every run writes the same bytes.
//
// mkmedia --icons DIR: writes the desktop icons DIR/icon-SIZE.png.
// mkmedia --web-icons DIR: the same at the sizes of the web page's manifest.
#include <cstdio>
#include <cstring>

#include "icon.h"
#include "show_writer.h"

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--icons") == 0) {
    return mkmedia::writeIcons(argv[2], mkmedia::kIconSizes) ? 0 : 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "--web-icons") == 0) {
    return mkmedia::writeIcons(argv[2], mkmedia::kWebIconSizes) ? 0 : 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: mkmedia SHOW_DIR | mkmedia --icons DIR | mkmedia --web-icons DIR\n");
    return 2;
  }
  constexpr int kWorkers = 2;
  return mkmedia::writeShow(argv[1], kWorkers) ? 0 : 1;
}
