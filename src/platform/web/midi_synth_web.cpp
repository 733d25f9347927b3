// MIDI in a browser: the desktop's synthesiser, built for the browser, run
// by the page (web/velmor-midi.js) with the desktop's SoundFont and
// settings; this side hands it the pieces and takes its sound into the
// output as the desktop's MidiSynth does (platform/sdl/midi_synth.cpp).
// The page fetches the library and the SoundFont after the first picture:
// until then the synthesiser is loading, and a piece waits for it as it
// waits on the desktop for its SoundFont. Nothing here blocks: where the
// desktop would wait for the load, the browser says it is not done yet.
#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "core/texts.h"
#include "platform/sdl/midi_synth.h"
#include "platform/sdl/synth_log.h"

namespace velmor::platform::sdl {

// clang-format off
EM_JS(void, velmor_midi_request, (int rate, int polyphony, double gain), {
  if (globalThis.velmorMidi) velmorMidi.request(rate, polyphony, gain);
});
// 0 loading, 1 ready, 2 cannot sound (no synthesiser in the page counts).
EM_JS(int, velmor_midi_state, (), {
  return globalThis.velmorMidi ? velmorMidi.state() : 2;
});
EM_JS(void, velmor_midi_why, (char* out, int size), {
  stringToUTF8(globalThis.velmorMidi ? velmorMidi.why() : "", out, size);
});
EM_JS(int, velmor_midi_load, (const uint8_t* smf, int size), {
  return velmorMidi.load(HEAPU8.subarray(smf, smf + size)) ? 1 : 0;
});
// 1 when the piece starts at `tick`, 0 when from its start instead.
EM_JS(int, velmor_midi_start, (double tick), { return velmorMidi.start(tick) ? 1 : 0; });
EM_JS(double, velmor_midi_tick, (), {
  return globalThis.velmorMidi ? velmorMidi.currentTick() : -1;
});
EM_JS(void, velmor_midi_pause, (), { velmorMidi.pause(); });
EM_JS(void, velmor_midi_resume, (), { velmorMidi.resume(); });
EM_JS(void, velmor_midi_unload, (), { if (globalThis.velmorMidi) velmorMidi.unload(); });
EM_JS(int, velmor_midi_silent, (), {
  return !globalThis.velmorMidi || velmorMidi.silent() ? 1 : 0;
});
// Stereo frames into `lr`; 0 (and `lr` untouched) for silence.
EM_JS(int, velmor_midi_render, (int16_t* lr, int frames), {
  const sound = velmorMidi.render(frames);
  if (!sound) return 0;
  HEAP16.set(sound, lr >> 1);
  return 1;
});
// clang-format on

namespace {

std::string Why() {
  std::array<char, 256> text{};
  velmor_midi_why(text.data(), static_cast<int>(text.size()));
  if (text[0] == '\0') return Tr("the page has no MIDI synthesiser");
  return text.data();
}

MidiSynth::State StateNow() {
  switch (velmor_midi_state()) {
    case 0:
      return MidiSynth::State::Loading;
    case 1:
      return MidiSynth::State::Ready;
    default:
      return MidiSynth::State::Failed;
  }
}

}  // namespace

struct Fluid {};

MidiSynth::~MidiSynth() = default;

void MidiSynth::Shutdown() { Unload(); }

void MidiSynth::Preload(std::string soundfonts, int rate, int channels, SDL_AudioDeviceID device) {
  rate_ = rate;
  channels_ = channels;
  device_ = device;
  pending_for_ = std::move(soundfonts);
  velmor_midi_request(rate, kPolyphony, kGain);
}

// The page has one SoundFont, whatever the setting names.
MidiSynth::State MidiSynth::Poll(const std::string&) { return StateNow(); }

bool MidiSynth::Ready(const std::string&, std::string* why) {
  switch (StateNow()) {
    case State::Ready:
      return true;
    case State::Loading:
      if (why) *why = Tr("the SoundFont is still loading");
      return false;
    case State::Failed:
      break;
  }
  if (why) *why = Why();
  return false;
}

// Usable unless the page has no synthesiser or its SoundFont failed: the
// start-up probe runs before the download, as on the desktop before the
// SoundFont is loaded.
bool MidiSynth::LooksUsable(const std::string&, std::string* why) {
  if (StateNow() != State::Failed) return true;
  if (why) *why = Why();
  return false;
}

bool MidiSynth::Load(std::span<const uint8_t> smf, std::string* why) {
  sounding_ = false;
  if (velmor_midi_load(smf.data(), static_cast<int>(smf.size())) == 0) {
    if (why) *why = Tr("the MIDI player cannot take the file");
    return false;
  }
  return true;
}

bool MidiSynth::Start(uint64_t from) {
  const bool there = velmor_midi_start(static_cast<double>(from)) != 0;
  sounding_ = true;
  return there;
}

int64_t MidiSynth::CurrentTick() const { return static_cast<int64_t>(velmor_midi_tick()); }

void MidiSynth::Pause() {
  sounding_ = false;
  velmor_midi_pause();
}

void MidiSynth::Resume() {
  velmor_midi_resume();
  sounding_ = true;
}

void MidiSynth::Halt() { Pause(); }

void MidiSynth::Unload() {
  sounding_ = false;
  velmor_midi_unload();
}

bool MidiSynth::Silent() const { return !sounding_ || velmor_midi_silent() != 0; }

void MidiSynth::Render(int16_t* out, int frames) {
  std::memset(out, 0, static_cast<std::size_t>(std::max(frames, 0)) * 2 * channels_);
  if (!sounding_ || frames <= 0) return;
  int16_t* lr = out;
  if (channels_ != 2) {
    scratch_.resize(static_cast<std::size_t>(frames) * 2);
    lr = scratch_.data();
  }
  if (velmor_midi_render(lr, frames) == 0 || channels_ == 2) return;
  FoldStereo(lr, out, frames);
}

bool RouteSynthLog(SoundLog*) { return false; }
void SilenceSynthLog() {}

}  // namespace velmor::platform::sdl
