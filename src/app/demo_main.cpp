#include "app/demo_main.h"

#include <cstdio>
#include <memory>
#include <new>

#include "app/frame_clock.h"
#include "app/precision_timer.h"
#include "app/rehearsed_show.h"
#include "app/seen_delay.h"
#include "app/show_loop.h"
#include "app/show_startup.h"
#include "app/transport.h"
#include "display/display.h"
#include "music/music_player.h"
#include "platform/frame_loop.h"
#include "platform/platform.h"
#include "render/font.h"
#include "render/screen.h"
#include "resources/data_controller.h"
#include "script/scene.h"

namespace {

// What one frame of the show needs.
struct Show {
  PrecisionTimer* timer;
  DataController& data;
  Font& font;
  FrameClock& clock;
  const Transport& transport;
  SeenDelay seen;
};

// One pass of the loop; after the last frame the show ends here. The frame
// reads the counts of the show time at which it will be seen, half a frame
// on (app/seen_delay.h), whatever the sound device did.
void showFrame(void* user) {
  Show& show = *static_cast<Show*>(user);
  if (runShowPass(
          show.clock, [&] { return show.timer->seconds(); },
          [&](const FrameClock& c) {
            show.transport.setCounts(c.currentTime - c.startTime + show.seen.countsAhead());
            runScene(show.data, c, show.font);
          },
          [&] {
            displayPresent(Screen::pixels);
            show.seen.measure(show.clock.currentTime, show.timer->seconds());
          })) {
    return;
  }
  // The show's objects are left to the end of the process, as after Escape.
  displayClose();
  platform::exitProcess(0);
}

int runShow() {
  // Everything is loaded before the display opens; a bad list ends the
  // program in here with exit code 1.
  std::unique_ptr<DataController> data = loadShowResources();

  if (!displayOpen(kShowTitle, Screen::width, Screen::height)) {
    data.reset();
    std::fprintf(stderr, "pixelfolk: cannot open the display: %s\n", displayFailureReason());
    return 1;
  }

  // A show that can seek prepares more (its soundtrack rendered ahead) and
  // waits for the start itself.
  if (requestedRun() != RunKind::plain) runRehearsedShow(std::move(data));

  // In a browser the page's start click comes here; the rest happens in it.
  platform::waitForStart();

  // The start time is taken before the font is cut and the music loaded, so
  // the show's 96 seconds include that loading.
  PrecisionTimer* timer = PrecisionTimer::instance();
  const double startTime = timer->seconds();

  std::unique_ptr<Font> font = cutShowFont(*data);

  FrameClock clock(startTime);

  MusicPlayer music;
  music.open(kShowMusicFile, kMusicModule, kShowMusicRate, kShowMusicChannels).play(kMusicModule);
  // The music starts now, on the show's clock, and its sound follows it.
  const double musicStart = timer->seconds() - startTime;
  Transport transport(
      music.timeline(), [timer] { return timer->seconds(); }, &music.clock(), musicStart);
  transport.setPosition(musicStart);
  transport.play();

  Show show{timer, *data, *font, clock, transport, SeenDelay()};
  platform::runFrameLoop(showFrame, &show);
}

}  // namespace

int demoMain() {
  // Pictures are bounded in size, but the machine may still have less memory
  // than the show needs: that ends with a message, not an abort.
  try {
    return runShow();
  } catch (const std::bad_alloc&) {
    endForLackOfMemory();
  }
}
