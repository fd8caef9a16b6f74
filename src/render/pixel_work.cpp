#include "render/pixel_work.h"

namespace pixelwork {
namespace {
bool pixelWorkOn = true;
}

bool enabled() { return pixelWorkOn; }

Skipped::Skipped() : before_(pixelWorkOn) { pixelWorkOn = false; }

Skipped::~Skipped() { pixelWorkOn = before_; }

}  // namespace pixelwork
