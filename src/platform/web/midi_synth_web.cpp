// MIDI in a browser, for now: no synthesiser is built into the page, so
// every SoundFont is unusable and the media player treats MIDI as it treats
// a machine without the synthesiser library (the start-up probe says so,
// the game goes on silent). The desktop's synthesiser is in
// platform/sdl/midi_synth.cpp.
#include <cstring>

#include "platform/sdl/midi_synth.h"
#include "platform/sdl/synth_log.h"

namespace velmor::platform::sdl {

namespace {
constexpr const char* kNoSynthesiser = "MIDI is not played in the browser yet";
}  // namespace

struct Fluid {};

MidiSynth::~MidiSynth() = default;
void MidiSynth::Shutdown() {}
void MidiSynth::Preload(std::string, int rate, int channels, SDL_AudioDeviceID device) {
  rate_ = rate;
  channels_ = channels;
  device_ = device;
}
MidiSynth::State MidiSynth::Poll(const std::string&) { return State::Failed; }
bool MidiSynth::Ready(const std::string&, std::string* why) {
  if (why) *why = kNoSynthesiser;
  return false;
}
bool MidiSynth::LooksUsable(const std::string&, std::string* why) {
  if (why) *why = kNoSynthesiser;
  return false;
}
bool MidiSynth::Load(std::span<const uint8_t>, std::string* why) {
  if (why) *why = kNoSynthesiser;
  return false;
}
void MidiSynth::Start() {}
void MidiSynth::Pause() {}
void MidiSynth::Resume() {}
void MidiSynth::Halt() {}
void MidiSynth::Unload() {}
bool MidiSynth::Silent() const { return true; }
void MidiSynth::Render(int16_t* out, int frames) {
  std::memset(out, 0, sizeof(int16_t) * static_cast<size_t>(frames) * static_cast<size_t>(channels_));
}

bool RouteSynthLog(SoundLog*) { return false; }
void SilenceSynthLog() {}

}  // namespace velmor::platform::sdl
