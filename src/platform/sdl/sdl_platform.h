// The small services of the real front end: starting SDL, the time of day,
// and the signals that end the program.
#pragma once

#include <string>

#include "platform/clock.h"

namespace velmor::platform::sdl {

// SDL's video for the lifetime of the object.
class SdlSystem {
 public:
  SdlSystem() = default;
  ~SdlSystem();
  SdlSystem(const SdlSystem&) = delete;
  SdlSystem& operator=(const SdlSystem&) = delete;

  // Sets the hints the front end relies on and starts SDL's video. False,
  // with SDL's reason, when there is no display to show a window on.
  bool Init(std::string* error);

 private:
  bool ok_ = false;
};

// The real time of day.
class SdlClock : public Clock {
 public:
  uint32_t UtcTimeOfDayMs() override;
  std::string LocalDateTime() override;
};

// Shuts SDL down entirely when it goes out of scope (after everything that
// used it is gone).
class SdlShutdown {
 public:
  SdlShutdown() = default;
  ~SdlShutdown();
  SdlShutdown(const SdlShutdown&) = delete;
  SdlShutdown& operator=(const SdlShutdown&) = delete;
};

// SIGTERM, SIGINT and SIGHUP end the program promptly, without the quit
// question nobody could answer: the handlers only raise a flag that the
// loop looks at on every pass.
void InstallQuitSignals();
bool QuitSignalled();
// Lowers the flag again (tests).
void ClearQuitSignal();

}  // namespace velmor::platform::sdl
