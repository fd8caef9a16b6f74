#include "platform/display_loss.h"

namespace platform {

// Without X there is no client library that ends the process by itself when
// its display goes: a lost display is reported through the events.
void watchForLostDisplay() {}

}  // namespace platform
