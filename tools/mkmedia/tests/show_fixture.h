// Helpers shared by the generator's tests.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"
#include "jpeg_reader.h"

namespace mkmedia::testing {

// A fresh, empty folder under the system's temporary folder, named after the
// running test so that tests run in parallel never share one.
std::string freshFolder(const std::string& tag);

// Encodes a canvas the way the generator does and decodes it again.
DecodedImage throughJpeg(const Canvas& canvas, int quality, const std::string& tag);

// One parsed line of a resource list.
struct ListedResource {
  std::string name;
  int type = 0;
  int frames = 0;
};

// Reads a resource list the way the show does: "." lines and empty lines are
// comments, other lines are scanned as "%s %i %i". Sets `ok` to false on a
// line that would be refused (bad type, too long).
std::vector<ListedResource> parseResourceList(const std::string& text, bool& ok);

std::string readFile(const std::string& path);

}  // namespace mkmedia::testing
