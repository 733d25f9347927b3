// The small services of the real front end: starting SDL, the time of day,
// the message boxes, and the signals that end the program.
#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/dialogs.h"

namespace velmor::platform::sdl {

class SdlFrontEnd;

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
};

// Message boxes drawn inside the window by the front end.
class SdlDialogs : public Dialogs {
 public:
  explicit SdlDialogs(SdlFrontEnd& front) : front_(front) {}
  Answer ShowMessageBox(const std::string& text, MessageKind kind, Buttons buttons) override;

 private:
  SdlFrontEnd& front_;
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
