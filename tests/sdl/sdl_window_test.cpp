// The SDL window: its size and place, the pointer, and what a presented
// frame shows, read back from the renderer.
#include "platform/sdl/sdl_window.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "sdl_rig.h"
#include "x_server_pixels.h"

namespace velmor::platform::sdl {
namespace {

using testing::SdlRig;

// The window's pixels of the frame Render draws (0x00RRGGBB), row by row.
std::vector<uint32_t> Frame(SdlWindow& w) {
  w.Render();
  Size s;
  return w.ReadPixels(s);
}

Bitmap Checker(Color a, Color b, int w, int h) {
  Bitmap bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.set(x, y, (x + y) % 2 ? b : a);
  return bmp;
}

// Full screen is a borderless window covering the display; back from it the
// window has its place and size again; the pointer stays where it is.
TEST(SdlWindow, FullScreenCoversTheDisplayAndBackKeepsThePlaceAndThePointer) {
  SdlRig rig(testing::Ticking(), {800, 600});
  SDL_Rect d;
  ASSERT_EQ(SDL_GetDisplayBounds(0, &d), 0);
  const Rect display = Rect::FromSize(d.x, d.y, d.w, d.h);
  auto place = [](SdlWindow& w) {  // the screen (for a window its client area) on the display
    int x = 0, y = 0;
    SDL_GetWindowPosition(w.sdl_window(), &x, &y);
    return Rect::FromSize(x, y, w.ScreenSize().width, w.ScreenSize().height);
  };
  {  // opened so (not in SDL's own full-screen mode)
    platform::TtfFont font;
    SdlWindow full(font);
    std::string error;
    ASSERT_TRUE(full.Open(WindowOptions{}, &error)) << error;
    EXPECT_EQ(place(full), display);
    const uint32_t flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN;
    EXPECT_EQ(SDL_GetWindowFlags(full.sdl_window()) & flags, SDL_WINDOW_BORDERLESS);
  }
  const Rect normal = place(rig.window);
  EXPECT_EQ(normal, Rect::FromSize(normal.left, normal.top, 800, 600));  // the client area
  rig.window.PointerMoved({100, 50});
  rig.window.SetFullScreen(true);
  EXPECT_TRUE(rig.window.FullScreen() && rig.window.TakeClientSize());
  EXPECT_EQ(place(rig.window), display);
  EXPECT_EQ(rig.window.CursorPos(), (Point{100 + normal.left - d.x, 50 + normal.top - d.y}));
  rig.window.SetFullScreen(false);
  EXPECT_TRUE(!rig.window.FullScreen() && rig.window.TakeClientSize());
  EXPECT_EQ(place(rig.window), normal);
  EXPECT_EQ(rig.window.CursorPos(), (Point{100, 50}));
  // A new size empties the wallpaper layer.
  rig.window.DrawOnWindow(Bitmap(800, 600, 0xFFFFFF), {0, 0});
  EXPECT_FALSE(rig.window.TakeClientSize()) << "nothing changed yet";
  SDL_SetWindowSize(rig.window.sdl_window(), 400, 300);
  EXPECT_TRUE(rig.window.TakeClientSize());
  EXPECT_EQ(Frame(rig.window).back(), 0u);
}

// A page's canvas: the page sizes it (the window's size-changed event
// tells the loop), SDL does not follow the page's layout behind its back,
// and full screen is the page's, never a canvas of the screen's shape.
TEST(SdlWindow, APageSizedCanvasTakesThePagesSizeAndLeavesFullScreenToThePage) {
  SdlRig rig;  // SDL started, and a window of its own beside this one
  platform::TtfFont font;
  SdlWindow canvas(font);
  std::string error;
  WindowOptions options;
  options.windowed = true;
  options.fit_to_display = false;
  options.sized_by_page = true;
  ASSERT_TRUE(canvas.Open(options, &error)) << error;
  EXPECT_EQ(SDL_GetWindowFlags(canvas.sdl_window()) & SDL_WINDOW_RESIZABLE, 0u);
  EXPECT_EQ(canvas.ScreenSize(), (Size{1024, 768}));
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

  canvas.SetFullScreen(true);
  EXPECT_FALSE(canvas.FullScreen());
  EXPECT_FALSE(canvas.TakeClientSize()) << "full screen left the canvas's size alone";

  auto size_changed = [&] {  // the last size-changed event of this window, if any
    Size told;
    SDL_Event e;
    while (SDL_PollEvent(&e))
      if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED &&
          e.window.windowID == SDL_GetWindowID(canvas.sdl_window()))
        told = {e.window.data1, e.window.data2};
    return told;
  };
  canvas.SetClientSize({1296, 972});
  EXPECT_EQ(size_changed(), (Size{1296, 972}));
  EXPECT_TRUE(canvas.TakeClientSize());
  EXPECT_EQ(canvas.ScreenSize(), (Size{1296, 972}));
  for (Size wrong : {Size{0, 972}, Size{1296, -1}}) {
    canvas.SetClientSize(wrong);
    EXPECT_EQ(size_changed(), Size{}) << wrong.width << "x" << wrong.height;
    EXPECT_FALSE(canvas.TakeClientSize());
  }
}

TEST(SdlWindow, ANormalWindowGoesWhereItWasIfThatStillFits) {
  const Rect usable{0, 0, 1280, 1000}, middle = Rect::FromSize(128, 116, 1024, 768),
             fits = Rect::FromSize(100, 50, 800, 600);
  using Row = std::tuple<Rect, Size, Rect>;  // the last place, the first size, the place
  for (auto [last, first, place] :
       {Row{fits, {1024, 768}, fits}, Row{Rect{}, {1024, 768}, middle},  // never a normal one yet
        // Larger than the display now, or off it: the first size.
        Row{Rect::FromSize(0, 0, 1600, 1200), {1024, 768}, middle},
        Row{Rect::FromSize(3000, 0, 800, 600), {1024, 768}, middle},
        Row{Rect{}, {2000, 900}, Rect::FromSize(0, 50, 1280, 900)}})  // cut to fit
    EXPECT_EQ(NormalWindowPlace(last, first, usable), place);
}

// Stretched and read back it comes back whole at every scale showing every pixel.
TEST(SdlWindow, TheShownAreaReadsBackThePictureAtEveryScale) {
  Bitmap picture = Checker(0x112233, 0x445566, 640, 480);
  for (int y = 0; y < 480; ++y) picture.set((y * 7) % 640, y, Color(0x010101u * (y % 200)));
  const Size window{1024, 768};
  for (int scale = 100; scale <= 150; scale += 5) {
    const int w = scale * 640 / 100, h = w * 75 / 100;
    const Rect rect = Rect::FromSize((1024 - w) / 2, (768 - h) / 2, w, h);
    Bitmap canvas(window.width, window.height, 0x00FF00);
    StretchBlt(canvas, rect, picture);
    Bitmap back(640, 480, kBlack), part(640, 480, kBlack);
    CopyShownArea(back, canvas.pixels(), window, rect, Rect{0, 0, 1024, 768});
    EXPECT_EQ(back, picture) << scale << "%";
    CopyShownArea(part, canvas.pixels(), window, rect, Rect{0, 0, 512, 384});  // what lies in it
    EXPECT_EQ(std::pair(part.at(0, 0), part.at(639, 479)), std::pair(picture.at(0, 0), kBlack))
        << scale << "%";
  }
  // Nothing shown, or pixels missing: the picture stays as it is.
  Bitmap same = picture;
  CopyShownArea(same, {}, window, Rect::FromSize(192, 144, 640, 480), Rect{0, 0, 1024, 768});
  CopyShownArea(same, std::vector<uint32_t>(1024 * 768, 0), window, Rect{}, Rect{0, 0, 1024, 768});
  EXPECT_EQ(same, picture);
}

TEST(SdlWindow, ThePointerShowsWhileItsCounterIsNotNegative) {
  SdlRig rig;
  for (auto [show, count] : {std::pair{false, -1}, {false, -2}, {true, -1}, {true, 0}, {true, 1},
                             {false, 0}, {false, -1}}) {
    EXPECT_EQ(rig.window.ShowCursor(show), count);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE, count >= 0) << "count " << count;
  }
}

// Pixels repeated, or blended while smooth scaling is on: a changed pixel is
// sent again as far as the blending reaches; turned off, plain is back at once.
TEST(SdlWindow, ThePictureIsStretchedOverTheWallpaperPlainOrSmooth) {
  SdlRig rig(testing::Ticking(), {200, 100});
  rig.window.DrawOnWindow(Bitmap(200, 100, 0x336699), {0, 0});
  Bitmap picture(8, 4, kBlack);
  FillRect(picture, {4, 0, 8, 4}, kWhite);
  picture.set(1, 2, 0xFF0000);
  const Rect at = Rect::FromSize(10, 20, 24, 12);  // three times the size
  auto expect_frame = [&](bool smooth) {
    Bitmap want(200, 100, 0x336699);
    if (smooth) StretchBltSmooth(PixelView{want.row(0), 200, 200, 100}, at, picture, want.bounds());
    for (int y = at.top; y < at.bottom && !smooth; ++y)
      for (int x = at.left; x < at.right; ++x)
        want.set(x, y, picture.at((x - at.left) / 3, (y - at.top) / 3));
    EXPECT_EQ(Frame(rig.window), want.pixels()) << (smooth ? "smooth" : "plain");
  };
  rig.window.StretchOnWindow(picture, at);
  expect_frame(false);
  rig.window.StretchOnWindow(picture, at);
  EXPECT_FALSE(rig.window.NeedsRender()) << "the same picture again is no change";
  rig.window.SetSmoothScaling(true);
  expect_frame(true);
  const uint32_t grey = Frame(rig.window)[21 * 200 + 21];  // where black meets white
  EXPECT_TRUE(grey != 0 && grey != 0xFFFFFF) << grey;
  picture.set(2, 1, kWhite);
  rig.window.StretchOnWindow(picture, at, Rect::FromSize(2, 1, 1, 1));
  expect_frame(true);
  // Changes far apart come as rectangles of their own (a glyph, the pointer): each is looked at.
  picture.set(0, 0, 0x00FF00), picture.set(7, 3, 0x0000FF);
  ChangedRects apart;
  apart.Add(Rect::FromSize(0, 0, 1, 1)), apart.Add(Rect::FromSize(7, 3, 1, 1));
  rig.window.StretchOnWindow(picture, at, apart);
  expect_frame(true);
  rig.window.SetSmoothScaling(false);
  EXPECT_TRUE(rig.window.NeedsRender());
  expect_frame(false);
  // Larger than the window it is cut at the edges (150 % on a small screen):
  // (80 + 30) / 100 is column 1.
  const Bitmap large = Checker(0xFFFFFF, 0x0000FF, 4, 4);
  rig.window.StretchOnWindow(large, Rect::FromSize(-30, -30, 400, 160));
  const std::vector<uint32_t> f = Frame(rig.window);
  EXPECT_EQ((std::vector{f[0], f[80], f.back()}),
            (std::vector{large.at(0, 0), large.at(1, 0), large.at(2, 3)}));
  rig.window.StretchOnWindow(large, Rect::FromSize(-29, -30, 400, 160));
  EXPECT_TRUE(rig.window.NeedsRender()) << "a new place is a change";
}

// Sharp scaling: the picture enlarged by whole pixels, then smoothly the rest of the way; changes
// sent in bands or as a union give the frame the whole picture drawn again would, and it goes
// before smooth scaling while on.
TEST(SdlWindow, SharpScalingDrawsChangesAsTheWholeWouldBe) {
  SdlRig rig(testing::Ticking(), {200, 100});
  rig.window.DrawOnWindow(Bitmap(200, 100, 0x336699), {0, 0});
  Bitmap picture = Checker(0xFFFFFF, 0x000000, 8, 4);
  picture.set(3, 1, 0xFF0000);
  const Rect at = Rect::FromSize(10, 20, 20, 10);  // two and a half times
  auto expect_frame = [&] {
    Bitmap want(200, 100, 0x336699), enlarged;
    EnlargeWhole(picture, 2, enlarged, picture.bounds());
    StretchBltSmooth(PixelView{want.row(0), 200, 200, 100}, at, enlarged, want.bounds());
    EXPECT_EQ(Frame(rig.window), want.pixels());
  };
  rig.window.SetSmoothScaling(true);
  rig.window.SetSharpScaling(true);
  rig.window.StretchOnWindow(picture, at);
  expect_frame();
  picture.set(6, 2, 0x00FF00);
  rig.window.StretchOnWindow(picture, at, Rect::FromSize(6, 2, 1, 1));
  expect_frame();
  picture.set(0, 0, 0x0000FF), picture.set(7, 3, 0x123456);
  ChangedRects apart;
  apart.Add(Rect::FromSize(0, 0, 1, 1)), apart.Add(Rect::FromSize(7, 3, 1, 1));
  rig.window.StretchOnWindow(picture, at, apart);
  expect_frame();
  rig.window.SetSharpScaling(false);
  EXPECT_TRUE(rig.window.NeedsRender());
  Bitmap smooth(200, 100, 0x336699);
  StretchBltSmooth(PixelView{smooth.row(0), 200, 200, 100}, at, picture, smooth.bounds());
  EXPECT_EQ(Frame(rig.window), smooth.pixels()) << "smooth scaling again";
}

// What is sent again of a changed part of the picture holds every window
// pixel that shows it, at any scale: window pixel d of D samples picture
// pixel (2d + 1) * s / (2D) of s.
TEST(SdlWindow, AChangedPartIsSentWithEveryPixelThatShowsItAndNoOther) {
  auto covers = [](int lo, int hi, int origin, int dst, int src, int pixel) {
    for (int d = 0; d < dst; ++d)
      if ((2 * d + 1) * src / (2 * dst) == pixel && (d < lo - origin || d >= hi - origin))
        return false;
    return true;
  };
  auto only = [](int lo, int hi, int origin, int dst, int src, int pixel) {
    for (int d = lo - origin; d < hi - origin; ++d)
      if ((2 * d + 1) * src / (2 * dst) != pixel) return false;
    return true;
  };
  for (int32_t width = 640; width <= 1280; width += 16) {
    const Rect rect = Rect::FromSize(5, 7, width, width * 3 / 4);
    for (int32_t x = 0; x < 640; x += 7) {
      const int32_t y = x * 3 / 4;
      const Rect area = StretchedArea(Rect::FromSize(x, y, 1, 1), {640, 480}, rect);
      ASSERT_TRUE(covers(area.left, area.right, rect.left, rect.width(), 640, x) &&
                  covers(area.top, area.bottom, rect.top, rect.height(), 480, y))
          << width << ": " << x << "," << y;
      // ... and no pixel that shows another.
      ASSERT_TRUE(only(area.left, area.right, rect.left, rect.width(), 640, x) &&
                  only(area.top, area.bottom, rect.top, rect.height(), 480, y))
          << width << ": " << x << "," << y;
    }
  }
}

// What the game keeps on the window (the still drawn pointer, gone from the
// picture) stays as shown: outside what changed the window draws from what
// it took, also when the picture moves. Only a picture of another size is
// taken whole, which the window says beforehand.
TEST(SdlWindow, WhatItKeepsStaysAsShownUntilAPictureOfAnotherSizeComes) {
  SdlRig rig(testing::Ticking(), {200, 100});
  Bitmap picture(8, 4, kBlack);
  picture.set(5, 2, 0x00FF00);  // the pointer
  const Rect at = Rect::FromSize(10, 20, 16, 8);
  EXPECT_FALSE(rig.window.KeepsShown(picture, at)) << "nothing shown yet";
  rig.window.StretchOnWindow(picture, at);
  EXPECT_TRUE(rig.window.KeepsShown(picture, at));
  picture.set(5, 2, kBlack);  // taken off the picture, kept on the window
  picture.set(0, 0, kWhite);  // a glyph
  rig.window.StretchOnWindow(picture, at, ChangedRects(Rect::FromSize(0, 0, 1, 1)),
                             Rect::FromSize(5, 2, 1, 1));
  std::vector<uint32_t> f = Frame(rig.window);
  EXPECT_EQ((std::pair{f[(20 + 4) * 200 + 10 + 10], f[20 * 200 + 10]}),
            (std::pair{0x00FF00u, 0xFFFFFFu}));
  const Rect moved = Rect::FromSize(30, 40, 16, 8);
  EXPECT_TRUE(rig.window.KeepsShown(picture, moved));
  rig.window.StretchOnWindow(picture, moved, ChangedRects(), Rect::FromSize(5, 2, 1, 1));
  f = Frame(rig.window);
  EXPECT_EQ(f[(40 + 4) * 200 + 30 + 10], 0x00FF00u) << "drawn again from what it took";
  EXPECT_FALSE(rig.window.KeepsShown(Bitmap(8, 5), moved));
}

// Over the picture it goes when the picture is presented again, beside it not.
TEST(SdlWindow, CornerTextStaysUntilThePictureIsPresentedOverIt) {
  for (Point at : {Point{0, 0}, Point{200, 150}}) {
    SdlRig rig(testing::Ticking(), {320, 240});
    Bitmap picture(64, 48, 0x00FF00);
    rig.window.DrawOnWindow(Bitmap(320, 240, 0xFFFFFF), {0, 0});
    auto black_in_corner = [&] {
      const std::vector<uint32_t> f = Frame(rig.window);
      int n = 0;
      for (int y = 0; y < 16; ++y) n += int(std::count(&f[y * 320], &f[y * 320 + 60], 0u));
      return n;
    };
    rig.window.StretchOnWindow(picture, Rect::FromSize(at.x, at.y, 64, 48));
    rig.window.DrawCornerText(testing::S("式エラー"));
    EXPECT_GT(black_in_corner(), 20) << "the text is drawn";
    rig.window.StretchOnWindow(picture, Rect::FromSize(at.x, at.y, 64, 48));
    EXPECT_EQ(black_in_corner() > 20, at.x != 0) << "painted over only where it is on the picture";
  }
}

// Under Xvfb (pointer_under_x): synthetic motion, as from remote desktops and
// XWayland, never moves the server's global pointer, so that is not read.
TEST(PointerUnderX, FollowsTheWindowsOwnMotionEvents) {
  SdlRig rig;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::string(driver) != "x11") GTEST_SKIP() << "needs an X server";
  rig.Start(10);  // the window is shown and has heard where the pointer is
  for (Point p : {Point{300, 200}, Point{10, 700}, Point{1000, 5}}) {
    rig.Push(SDL_MOUSEMOTION, [&](SDL_Event& e) { e.motion.x = p.x; e.motion.y = p.y; }, 2);
    EXPECT_EQ(rig.window.CursorPos(), p) << "no click needed";
  }
}

#if defined(VELMOR_HAVE_X11)
// Under Xvfb (pointer_under_x): a whole frame, a few changed pixels (sent as
// plain requests, rows narrower than the window), a change at the window's
// right and bottom edges and a large change (sent through SDL) all reach the
// server exactly as drawn.
TEST(FramesUnderX, TheServerShowsEveryFrameAsDrawn) {
  SdlRig rig(testing::Ticking(), {320, 240});
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::string(driver) != "x11") GTEST_SKIP() << "needs an X server";
  Bitmap picture = Checker(0x123456, 0xFEDCBA, 64, 48);
  const Rect where{0, 0, 320, 240};
  rig.window.DrawOnWindow(Bitmap(320, 240, 0xFFFFFF), {0, 0});
  // The frame is drawn and sent first, then the server is asked.
  auto server_and_frame = [&rig] {
    std::vector<uint32_t> frame = Frame(rig.window);
    return std::pair{testing::XServerPixels(rig.window.sdl_window()), std::move(frame)};
  };
  rig.window.StretchOnWindow(picture, where);
  auto [server, frame] = server_and_frame();
  EXPECT_EQ(server, frame) << "the first frame";
  const uint64_t sent_before = rig.window.PixelsSent();
  for (Point p : {Point{10, 7}, Point{63, 47}, Point{0, 47}, Point{63, 0}}) {
    picture.set(p.x, p.y, 0xFF0000 + static_cast<Color>(p.x * 256 + p.y));
    rig.window.StretchOnWindow(picture, where);
    std::tie(server, frame) = server_and_frame();
    EXPECT_EQ(server, frame) << "pixel " << p.x << ", " << p.y;
  }
  EXPECT_LT(rig.window.PixelsSent() - sent_before, 4u * 6 * 6) << "only the changed pixels were sent";
  picture = Checker(0x00FF00, 0x0000FF, 64, 48);
  rig.window.StretchOnWindow(picture, where);
  std::tie(server, frame) = server_and_frame();
  EXPECT_EQ(server, frame) << "a whole new picture";
}
#endif

}  // namespace
}  // namespace velmor::platform::sdl
