#include "app/demo_main.h"

#include "app/frame_clock.h"
#include "app/precision_timer.h"
#include "app/show_loop.h"
#include "platform/platform.h"
#include "render/screen.h"

int demoMain() {
  PrecisionTimer* timer = PrecisionTimer::instance();
  const double startTime = timer->seconds();

  FrameClock clock(startTime);

  runShowLoop(
      clock, [timer] { return timer->seconds(); }, [](const FrameClock&) { Screen::clear(0, 0, 0); }, [] {});

  platform::exitProcess(0);
}
