// Watches the show's window on an X server about 1,000 times a second and
// writes every change of a coarse picture of it, stamped on the real-time
// clock (as date +%s%N and sound_match record), for sound_match events.
//
//   screen_probe WINDOW_ID OUT_FILE
//
// OUT_FILE holds a record for each change: two int64 nanosecond stamps, the
// change came after the first (the grab before, which did not see it, was
// asked for) and before the second (this grab's answer came), then the
// coarse picture (screen_changes.h). The probe ends when the window goes
// away.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "screen_changes.h"

namespace {

bool windowGone = false;
int onError(Display* /*display*/, XErrorEvent* /*error*/) {
  windowGone = true;
  return 0;
}

int64_t now() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: screen_probe WINDOW_ID OUT_FILE\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr || !XShmQueryExtension(display)) {
    std::fprintf(stderr, "screen_probe: no X server with shared memory images\n");
    return 1;
  }
  XSetErrorHandler(onError);
  const Window window = std::strtoul(argv[1], nullptr, 0);
  const int screen = DefaultScreen(display);
  XShmSegmentInfo shm{};
  XImage* image = XShmCreateImage(display, DefaultVisual(display, screen), DefaultDepth(display, screen), ZPixmap,
                                  nullptr, &shm, kProbeWidth, kProbeHeight);
  shm.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * image->height, IPC_CREAT | 0600);
  shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
  shm.readOnly = False;
  XShmAttach(display, &shm);
  XSync(display, False);
  shmctl(shm.shmid, IPC_RMID, nullptr);
  FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr) return 1;

  std::array<uint8_t, kProbeCells> last{}, cells{};
  bool first = true;
  int64_t lastAsked = 0;
  timespec next{};
  clock_gettime(CLOCK_MONOTONIC, &next);
  while (!windowGone) {
    const int64_t asked = now();
    if (!XShmGetImage(display, window, image, 0, 0, AllPlanes)) break;
    if (windowGone) break;
    const int64_t seen = now();
    takeProbePicture([&](int x, int y) { return static_cast<uint32_t>(XGetPixel(image, x, y)); }, cells.data());
    if (first || cells != last) {
      const int64_t since = first ? asked : lastAsked;
      std::fwrite(&since, sizeof since, 1, out);
      std::fwrite(&seen, sizeof seen, 1, out);
      std::fwrite(cells.data(), 1, cells.size(), out);
      last = cells;
      first = false;
    }
    lastAsked = asked;
    next.tv_nsec += 1000000;
    if (next.tv_nsec >= 1000000000) {
      next.tv_nsec -= 1000000000;
      ++next.tv_sec;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
  }
  std::fclose(out);
  XShmDetach(display, &shm);
  XCloseDisplay(display);
  return 0;
}
