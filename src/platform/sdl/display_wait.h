// Sleeping until the display has something to say or a time is up.
//
// SDL_WaitEventTimeout asks the X connection for events several times on
// every wake-up (each ask a read that finds nothing), and again for every
// event taken with SDL_PollEvent; Xlib's flush reads after it writes.
// DisplayWait sleeps in poll() on the connection itself, so that a wake-up
// for a tick costs no read at all; SDL is asked to take in events only when
// the connection has some (or something read them already), and now and
// then for its own periodic work.
#pragma once

#include <cstdint>

struct SDL_Window;

namespace velmor::platform::sdl {

class DisplayWait {
 public:
  // False where the window is not on an X display (SDL's own wait serves).
  bool Attach(SDL_Window* window);
  bool Attached() const { return fd_ >= 0; }

  // Sleeps until the connection can be read, events are already queued,
  // a signal arrives or `timeout_ms` passed. True when SDL should take in
  // events now: the display has some, or SDL was last asked more than
  // kPumpEveryMs ago (`now_ms`: SDL's clock).
  bool Wait(int timeout_ms, uint64_t now_ms);
  // SDL took in the display's events at `now_ms`.
  void Pumped(uint64_t now_ms);

  static constexpr uint64_t kPumpEveryMs = 500;

 private:
  void* display_ = nullptr;  // Display*
  int fd_ = -1;
  uint64_t last_pump_ms_ = 0;
  uint64_t read_at_pump_ = 0;  // bytes read from the connection when SDL last took in events
};

}  // namespace velmor::platform::sdl
