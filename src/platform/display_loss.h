// What happens when the connection to the display server breaks.
#pragma once

namespace platform {

// From now on a broken connection to the display server ends the process
// with code 1 after the exit hooks ran, wherever in the display library it
// is noticed, and never through that library's own exit.
void watchForLostDisplay();

}  // namespace platform
