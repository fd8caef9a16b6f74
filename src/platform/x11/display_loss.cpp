#include <X11/Xlib.h>

#include <cstdio>

#include "platform/display_loss.h"
#include "platform/process_exit.h"

namespace platform {

namespace {

// Xlib's own handler calls exit(), and the libraries' finalizers then run
// on the state of the call that failed: the GL vendor library frees a
// context it was destroying when the server went away, which corrupts the
// heap. A lost display ends the show with code 1 without them.
int leaveOnLostConnection(Display* display) {
  std::fprintf(stderr, "pixelfolk: the connection to the X server \"%s\" is lost\n", DisplayString(display));
  exitProcessAtOnce(1);
}

}  // namespace

void watchForLostDisplay() { XSetIOErrorHandler(leaveOnLostConnection); }

}  // namespace platform
