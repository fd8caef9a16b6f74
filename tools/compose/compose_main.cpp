// Writes the show's soundtrack: pixelfolk_compose OUTPUT.xm
#include <cstdio>
#include <string>

#include "arrangement.h"
#include "xm/xm_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.xm\n", argv[0]);
    return 2;
  }
  std::string error;
  if (!xm::saveModule(soundtrack::composeSoundtrack(), argv[1], &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
    return 1;
  }
  return 0;
}
