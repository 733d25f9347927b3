/* x_floor: the least a program can spend typing in an X window, for
 * bench/typing_cpu.sh: a bare client that wakes every 20 ms (a tick), sends
 * one glyph's cell of the full-screen game (26 x 26 pixels, a 16-pixel cell
 * at 1.6 times) with one PutImage request, and sleeps in poll() on the X
 * connection until the next tick. No game, no drawing, no toolkit: what it
 * costs is the machine's price of a wake-up and a request.
 *
 *   x_floor SECONDS    runs for SECONDS, then exits 0 */
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <xcb/xcb.h>

enum { kCell = 26, kTickMs = 20 };

static int64_t NowMs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (int64_t)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

int main(int argc, char** argv) {
  const int64_t seconds = argc > 1 ? atoi(argv[1]) : 10;
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "x_floor: cannot open the display\n");
    return 1;
  }
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1024, 768, 0, 0, 0xFFFFFF);
  XSelectInput(d, w, ExposureMask | KeyPressMask | ButtonPressMask | PointerMotionMask);
  XMapWindow(d, w);
  XFlush(d);
  xcb_connection_t* c = XGetXCBConnection(d);
  xcb_gcontext_t gc = xcb_generate_id(c);
  xcb_create_gc(c, gc, (xcb_window_t)w, 0, NULL);
  static uint32_t cell[kCell * kCell];
  const int64_t end = NowMs() + seconds * 1000;
  int64_t next = NowMs() + kTickMs;
  int readable = 1;
  for (unsigned tick = 0; NowMs() < end;) {
    if (readable) {
      while (XPending(d)) {
        XEvent e;
        XNextEvent(d, &e);
      }
      readable = 0;
    }
    const int64_t wait = next - NowMs();
    struct pollfd fd = {ConnectionNumber(d), POLLIN, 0};
    if (poll(&fd, 1, wait > 0 ? (int)wait : 0) > 0) readable = 1;
    if (NowMs() < next) continue;
    next += kTickMs;
    ++tick;
    for (int i = 0; i < kCell * kCell; ++i) cell[i] = (tick * 2654435761u + (unsigned)i) & 0xFFFFFF;
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, (xcb_window_t)w, gc, kCell, kCell,
                  (int16_t)(64 + (tick % 30) * 27), 640, 0, 24, sizeof cell, (const uint8_t*)cell);
    xcb_flush(c);
  }
  XCloseDisplay(d);
  return 0;
}
