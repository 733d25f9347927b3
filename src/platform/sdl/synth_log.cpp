#include "platform/sdl/synth_log.h"

#include <fluidsynth.h>

#include <string>

#include "core/texts.h"
#include "platform/shared/shared_library.h"

namespace velmor::platform::sdl {

namespace {

using SetLogFunction = decltype(&fluid_set_log_function);

// fluid_set_log_function of the synthesiser library already in the process.
// MidiSynth loads it when the first SoundFont loads; asking for the loaded
// instance, and never loading one of our own, makes sure the settings reach
// the copy that does the logging.
SetLogFunction FindSetLogFunction() {
  return reinterpret_cast<SetLogFunction>(
      LoadedLibrarySymbol(kSynthLibraryNames, "fluid_set_log_function"));
}

// Our words around the library's own message (which stays as it wrote it).
const char* LevelSentence(int level) {
  switch (level) {
    case FLUID_PANIC:
      return Tr("panic: %s");
    case FLUID_ERR:
      return Tr("error: %s");
    case FLUID_WARN:
      return Tr("warning: %s");
    case FLUID_INFO:
      return Tr("info: %s");
    default:
      return Tr("debug: %s");
  }
}

void OnSynthMessage(int level, const char* message, void* data) {
  static_cast<SoundLog*>(data)->Write("fluidsynth", SynthMessageText(level, message));
}

// Panics, errors and warnings go to `fn`; information and debugging
// messages (the library chats about every file it loads) are dropped.
bool SetAll(fluid_log_function_t fn, void* data) {
  SetLogFunction set = FindSetLogFunction();
  if (!set) return false;
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN}) set(level, fn, data);
  for (int level : {FLUID_INFO, FLUID_DBG}) set(level, nullptr, nullptr);
  return true;
}

}  // namespace

bool RouteSynthLog(SoundLog* log) { return SetAll(&OnSynthMessage, log); }

void SilenceSynthLog() { SetAll(nullptr, nullptr); }

std::string SynthMessageText(int level, const char* message) {
  return Fill(LevelSentence(level), {message ? message : ""});
}

}  // namespace velmor::platform::sdl
