#include "platform/sdl/sdl_platform.h"

#include <SDL.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <optional>

#include "core/texts.h"
#include "platform/shared/local_time.h"


namespace velmor::platform::sdl {

namespace {

// A signal handler can only set a flag of this type; it is the one piece of
// process-wide state of the front end.
volatile std::sig_atomic_t quit_signal = 0;

extern "C" void OnQuitSignal(int) { quit_signal = 1; }

}  // namespace

SdlSystem::~SdlSystem() {
  if (ok_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

namespace {

// The hints the front end relies on; SDL_Quit forgets them.
void SetHints() {
  // SDL would turn SIGTERM and SIGINT into a close request, which asks the
  // quit question; the front end handles them itself.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Long compositions of the input method arrive whole.
  SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
}

}  // namespace

bool SdlSystem::Init(std::string* error) {
  // Without a display SDL falls back to drivers that draw nowhere, and the
  // game would run unseen: those are for tests and tools that ask for them
  // by name. SDL also falls back when connecting to a display fails for a
  // moment (seen under a loaded virtual X server), so that is tried again.
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  const bool asked_by_name = asked != nullptr && *asked != '\0';
  std::string driver;
  for (int attempt = 0; attempt < 3; ++attempt) {
    SetHints();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      if (error) *error = SDL_GetError();
      return false;
    }
    driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if (asked_by_name || (driver != "offscreen" && driver != "dummy")) {
      ok_ = true;
      return true;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  if (error) *error = Fill(Tr("no screen to show a window on (only SDL's %s driver)"), {driver});
  return false;
}

SdlShutdown::~SdlShutdown() { SDL_Quit(); }

uint32_t SdlClock::UtcTimeOfDayMs() {
  using namespace std::chrono;
  auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<uint32_t>(ms % (24LL * 3600 * 1000));
}

std::string SdlClock::LocalDateTime() {
  std::optional<std::tm> t = LocalTime(std::time(nullptr));
  if (!t) return {};
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &*t);
  return text;
}

void InstallQuitSignals() {
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

bool QuitSignalled() { return quit_signal != 0; }

void ClearQuitSignal() { quit_signal = 0; }

}  // namespace velmor::platform::sdl
