#include "x_server_pixels.h"

#include <SDL.h>
#include <SDL_syswm.h>
#if defined(VELMOR_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace velmor::testing {

#if defined(VELMOR_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
std::vector<uint32_t> XServerPixels(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return {};
  Display* display = info.info.x11.display;
  XSync(display, False);
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  XImage* image = XGetImage(display, info.info.x11.window, 0, 0, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), AllPlanes, ZPixmap);
  if (image == nullptr) return {};
  std::vector<uint32_t> out;
  out.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
  XDestroyImage(image);
  return out;
}
#else
std::vector<uint32_t> XServerPixels(SDL_Window*) { return {}; }
#endif

}  // namespace velmor::testing
