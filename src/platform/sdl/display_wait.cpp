#include "platform/sdl/display_wait.h"

#include <SDL.h>
#include <SDL_syswm.h>
#if defined(VELMOR_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <poll.h>
#include <xcb/xcb.h>
#endif

namespace velmor::platform::sdl {

#if defined(VELMOR_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)

bool DisplayWait::Attach(SDL_Window* window) {
  display_ = nullptr;
  fd_ = -1;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) ||
      info.subsystem != SDL_SYSWM_X11 || info.info.x11.display == nullptr)
    return false;
  display_ = info.info.x11.display;
  fd_ = ConnectionNumber(info.info.x11.display);
  return true;
}

bool DisplayWait::Wait(int timeout_ms, uint64_t now_ms) {
  auto* display = static_cast<Display*>(display_);
  xcb_connection_t* connection = XGetXCBConnection(display);
  // Whatever was asked of the display goes out before the sleep: what SDL
  // asked through Xlib (Xlib's flush also reads the connection, so only
  // when there is something), and what was sent through xcb (the frames).
  if (display->bufptr != display->buffer) XFlush(display);
  xcb_flush(connection);
  // Anything read from the connection since SDL last took in events (a
  // write reads what has come, a round trip reads up to its reply) may
  // hold events that are not in the connection any more: they are
  // waiting already.
  if (XEventsQueued(display, QueuedAlready) > 0 || xcb_total_read(connection) != read_at_pump_)
    return true;
  pollfd fd{fd_, POLLIN, 0};
  const int ready = poll(&fd, 1, timeout_ms < 0 ? 0 : timeout_ms);
  if (ready > 0) return true;
  // A signal (ready < 0) is seen by the loop's own check; SDL's periodic
  // work (the screen saver kept off, focus changes) still gets its turn.
  return now_ms + static_cast<uint64_t>(timeout_ms) >= last_pump_ms_ + kPumpEveryMs;
}

void DisplayWait::Pumped(uint64_t now_ms) {
  last_pump_ms_ = now_ms;
  if (display_ != nullptr)
    read_at_pump_ = xcb_total_read(XGetXCBConnection(static_cast<Display*>(display_)));
}

#else

bool DisplayWait::Attach(SDL_Window*) { return false; }
void DisplayWait::Pumped(uint64_t now_ms) { last_pump_ms_ = now_ms; }
bool DisplayWait::Wait(int, uint64_t) { return true; }

#endif

}  // namespace velmor::platform::sdl
