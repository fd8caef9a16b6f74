#include "app/demo_main.h"

#include <cstdio>

#include "app/frame_clock.h"
#include "app/precision_timer.h"
#include "app/show_loop.h"
#include "display/display.h"
#include "platform/platform.h"
#include "render/screen.h"

int demoMain() {
  if (!displayOpen("Pixelfolk enjoy dance!", Screen::width, Screen::height)) {
    std::fprintf(stderr, "pixelfolk: cannot open the display: %s\n", displayFailureReason());
    return 1;
  }

  PrecisionTimer* timer = PrecisionTimer::instance();
  const double startTime = timer->seconds();

  FrameClock clock(startTime);

  runShowLoop(
      clock, [timer] { return timer->seconds(); }, [](const FrameClock&) { Screen::clear(0, 0, 0); },
      [] { displayPresent(Screen::pixels); });

  displayClose();
  platform::exitProcess(0);
}
