/* xprobe: watches the X screen for bench/side_by_side.sh.
 *
 *   xprobe root RRGGBB
 *       Paints the root window one solid colour, so that "nothing shown yet"
 *       is a colour no game draws (it stays while the server runs with
 *       -noreset).
 *   xprobe start INK TIMEOUT_MS
 *       Prints "ready", then waits for a top-level window of at least
 *       640 x 480 to be mapped and polls small parts of it every millisecond
 *       with XGetImage. It prints, each with the wall-clock time in
 *       seconds (gettimeofday, the clock of bash's EPOCHREALTIME):
 *         window T X Y W H   the window as mapped (last size seen)
 *         frame T            the game's area first shows something other
 *                            than the root colour
 *         glyph T            the first character cell holds a typed glyph
 *         glyph10 T          the tenth cell does, and
 *         glyph30 T          the thirtieth (the typing rate check)
 *       and exits once all are seen or after TIMEOUT_MS (missing lines are
 *       missing). INK is "dark" (dark text on light paper) or "light" (light
 *       text on dark paper).
 *   xprobe changes MS
 *       Samples the message line of the largest top-level window every 10 ms
 *       for MS milliseconds and prints how many times it changed.
 *
 * Positions are those of the 640 x 480 game area, which sits centred in the
 * window: its first character cell is 16 x 16 at (40, 399), and a cell
 * advances 17 pixels (both engines' test games are set up that way). */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <poll.h>
#include <sys/time.h>

enum { kGameW = 640, kGameH = 480, kCellX = 40, kCellY = 399, kCell = 16, kAdvance = 17 };
enum { kLineCells = 30, kMinPixels = 6 };

typedef struct {
  Window id;
  int x, y, w, h;
} Win;

static double Now(void) {
  struct timeval t;
  gettimeofday(&t, NULL);
  return (double)t.tv_sec + (double)t.tv_usec / 1e6;
}

static void SleepMs(int ms) { poll(NULL, 0, ms); }

/* The pixel as 0xRRGGBB (the default visual of Xvfb -screen WxHx24). */
static unsigned long Rgb(XImage* im, int x, int y) { return XGetPixel(im, x, y) & 0xFFFFFFUL; }

static int MinChannel(unsigned long p) {
  int r = (int)(p >> 16) & 255, g = (int)(p >> 8) & 255, b = (int)p & 255;
  int m = r < g ? r : g;
  return m < b ? m : b;
}

static int MaxChannel(unsigned long p) {
  int r = (int)(p >> 16) & 255, g = (int)(p >> 8) & 255, b = (int)p & 255;
  int m = r > g ? r : g;
  return m > b ? m : b;
}

static XImage* Grab(Display* d, const Win* w, int gx, int gy, int width, int height) {
  int ox = w->x + (w->w - kGameW) / 2, oy = w->y + (w->h - kGameH) / 2;
  XImage* im = XGetImage(d, DefaultRootWindow(d), ox + gx, oy + gy, (unsigned)width,
                         (unsigned)height, AllPlanes, ZPixmap);
  return im;
}

/* The game's area shows a frame: most of an 8 x 8 patch near its top centre
 * is no longer the root colour. */
static int FrameShown(Display* d, const Win* w, unsigned long root) {
  XImage* im = Grab(d, w, kGameW / 2 - 4, 100, 8, 8);
  if (!im) return 0;
  int other = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) other += Rgb(im, x, y) != root;
  XDestroyImage(im);
  return other >= 32;
}

/* Character cell n holds a glyph: at least a few ink pixels and a few paper
 * pixels (so a cell of plain dark or light picture does not count). */
static int GlyphShown(Display* d, const Win* w, int n, int dark_ink) {
  XImage* im = Grab(d, w, kCellX + n * kAdvance, kCellY, kCell, kCell);
  if (!im) return 0;
  int dark = 0, light = 0;
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) {
      unsigned long p = Rgb(im, x, y);
      dark += MaxChannel(p) < 64;
      light += MinChannel(p) > 192;
    }
  XDestroyImage(im);
  int ink = dark_ink ? dark : light, paper = dark_ink ? light : dark;
  return ink >= kMinPixels && paper >= kMinPixels;
}

static int BigEnough(const XWindowAttributes* a) {
  return a->map_state == IsViewable && a->width >= kGameW && a->height >= kGameH;
}

static int PaintRoot(Display* d, const char* hex) {
  unsigned long colour = strtoul(hex, NULL, 16) & 0xFFFFFFUL;
  Window root = DefaultRootWindow(d);
  XSetWindowBackground(d, root, colour);
  XClearWindow(d, root);
  XSync(d, False);
  return 0;
}

/* Follows the top-level windows being mapped and configured; w->id stays 0
 * until one of at least the game's size is shown. */
static void FollowWindows(Display* d, Win* w) {
  while (XPending(d)) {
    XEvent e;
    XNextEvent(d, &e);
    Window id = e.type == MapNotify ? e.xmap.window
                : e.type == ConfigureNotify ? e.xconfigure.window
                                            : 0;
    if (!id || (w->id && id != w->id)) continue;
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, id, &a) || !BigEnough(&a)) continue;
    if (!w->id) printf("window %.6f %d %d %d %d\n", Now(), a.x, a.y, a.width, a.height);
    *w = (Win){id, a.x, a.y, a.width, a.height};
  }
}

static void Report(const char* what) {
  printf("%s %.6f\n", what, Now());
  fflush(stdout);
}

static int WatchStart(Display* d, int dark_ink, int timeout_ms) {
  Window root = DefaultRootWindow(d);
  XSelectInput(d, root, SubstructureNotifyMask);
  XImage* corner = XGetImage(d, root, 0, 0, 1, 1, AllPlanes, ZPixmap);
  unsigned long root_colour = corner ? Rgb(corner, 0, 0) : 0;
  if (corner) XDestroyImage(corner);
  XSync(d, False);
  printf("ready %.6f\n", Now());
  fflush(stdout);

  Win w = {0, 0, 0, 0, 0};
  int frame = 0, glyph = 0, glyph10 = 0, glyph30 = 0;
  double end = Now() + timeout_ms / 1000.0;
  while (!(frame && glyph && glyph10 && glyph30) && Now() < end) {
    FollowWindows(d, &w);
    if (w.id) {
      if (!frame && (frame = FrameShown(d, &w, root_colour))) Report("frame");
      if (!glyph && (glyph = GlyphShown(d, &w, 0, dark_ink))) Report("glyph");
      if (glyph && !glyph10 && (glyph10 = GlyphShown(d, &w, 9, dark_ink))) Report("glyph10");
      if (glyph10 && !glyph30 && (glyph30 = GlyphShown(d, &w, 29, dark_ink))) Report("glyph30");
    }
    SleepMs(1);
  }
  return 0;
}

/* The largest mapped top-level window, or id 0. */
static Win LargestWindow(Display* d) {
  Win best = {0, 0, 0, 0, 0};
  Window root_ret, parent, *kids = NULL;
  unsigned n = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root_ret, &parent, &kids, &n)) return best;
  for (unsigned i = 0; i < n; ++i) {
    XWindowAttributes a;
    if (XGetWindowAttributes(d, kids[i], &a) && BigEnough(&a) && a.width * a.height > best.w * best.h)
      best = (Win){kids[i], a.x, a.y, a.width, a.height};
  }
  if (kids) XFree(kids);
  return best;
}

static int CountChanges(Display* d, int ms) {
  Win w = LargestWindow(d);
  if (!w.id) {
    printf("0\n");
    return 1;
  }
  int width = kLineCells * kAdvance, changes = 0;
  XImage* last = NULL;
  for (double end = Now() + ms / 1000.0; Now() < end; SleepMs(10)) {
    XImage* im = Grab(d, &w, kCellX, kCellY, width, kCell);
    if (!im) break;
    if (last && memcmp(last->data, im->data, (size_t)im->bytes_per_line * kCell) != 0) ++changes;
    if (last) XDestroyImage(last);
    last = im;
  }
  if (last) XDestroyImage(last);
  printf("%d\n", changes);
  return 0;
}

/* A region that is off the screen for a moment must not end the probe. */
static int IgnoreErrors(Display* d, XErrorEvent* e) {
  (void)d;
  (void)e;
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: xprobe root RRGGBB | start dark|light TIMEOUT_MS | changes MS\n");
    return 2;
  }
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "xprobe: cannot open the display\n");
    return 1;
  }
  XSetErrorHandler(IgnoreErrors);
  int status = 2;
  if (strcmp(argv[1], "root") == 0)
    status = PaintRoot(d, argv[2]);
  else if (strcmp(argv[1], "start") == 0 && argc >= 4)
    status = WatchStart(d, strcmp(argv[2], "dark") == 0, atoi(argv[3]));
  else if (strcmp(argv[1], "changes") == 0)
    status = CountChanges(d, atoi(argv[2]));
  XCloseDisplay(d);
  return status;
}
