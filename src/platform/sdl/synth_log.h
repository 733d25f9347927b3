// Where the MIDI synthesiser library's own messages go: into a bounded
// SoundLog instead of the terminal.
#pragma once

#include "sound/sound_log.h"

namespace velmor::platform::sdl {

// Sends the MIDI synthesiser library's panics, errors and warnings to `log`
// instead of the terminal, and drops its information and debugging
// chatter. The library is the instance already loaded in this process
// (MidiSynth loads it with the first SoundFont); false when none is loaded
// yet (nothing to route).
bool RouteSynthLog(sound::SoundLog* log);
// Drops the synthesiser's messages from now on (before `log` goes away).
void SilenceSynthLog();

}  // namespace velmor::platform::sdl
