// Where the MIDI synthesiser library's own messages go: into a bounded
// SoundLog instead of the terminal.
#pragma once

#include <array>
#include <string>

#include "platform/sdl/sound_log.h"

namespace velmor::platform::sdl {

// The file names the MIDI synthesiser library goes by, the newest first.
#if defined(_WIN32)
inline constexpr std::array<const char*, 3> kSynthLibraryNames{
    "libfluidsynth-3.dll", "libfluidsynth-2.dll", "fluidsynth.dll"};
#else
inline constexpr std::array<const char*, 3> kSynthLibraryNames{
    "libfluidsynth.so.3", "libfluidsynth.so.2", "libfluidsynth.so"};
#endif

// Sends the MIDI synthesiser library's panics, errors and warnings to `log`
// instead of the terminal, and drops its information and debugging
// chatter. The library is the instance already loaded in this process
// (MidiSynth loads it with the first SoundFont); false when none is loaded
// yet (nothing to route).
bool RouteSynthLog(SoundLog* log);
// Drops the synthesiser's messages from now on (before `log` goes away).
void SilenceSynthLog();
// One of the library's messages as the log writes it: our words for its
// level (FLUID_WARN, ...) in the player's language around its own text.
std::string SynthMessageText(int level, const char* message);

}  // namespace velmor::platform::sdl
