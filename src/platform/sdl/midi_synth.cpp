#include "platform/sdl/midi_synth.h"

#include <fluidsynth.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cstring>
#include <fstream>

#include "core/texts.h"
#include "formats/riff.h"
#include "platform/shared/os_files.h"
#include "platform/shared/shared_library.h"
#include "platform/sdl/audio_output.h"
#include "platform/sdl/synth_log.h"

namespace velmor::platform::sdl {

// The synthesiser library, loaded when the SoundFont first loads (on its
// thread): the thirty-odd libraries it needs are not loaded before the
// first picture, nor at all by a game that never plays MIDI.
struct Fluid {
  decltype(&::new_fluid_settings) new_settings;
  decltype(&::delete_fluid_settings) delete_settings;
  decltype(&::fluid_settings_setint) setint;
  decltype(&::fluid_settings_setnum) setnum;
  decltype(&::new_fluid_synth) new_synth;
  decltype(&::delete_fluid_synth) delete_synth;
  decltype(&::fluid_synth_sfload) sfload;
  decltype(&::fluid_synth_all_sounds_off) all_sounds_off;
  decltype(&::fluid_synth_write_s16) write_s16;
  decltype(&::new_fluid_player) new_player;
  decltype(&::delete_fluid_player) delete_player;
  decltype(&::fluid_player_add_mem) add_mem;
  decltype(&::fluid_player_play) play;
  decltype(&::fluid_player_stop) stop;
  // Optional: whether a piece is over and its last notes have died away
  // (without them the synthesiser never counts as silent).
  decltype(&::fluid_player_get_status) status = nullptr;
  decltype(&::fluid_synth_get_active_voice_count) voices = nullptr;
  // Optional: starting a piece further in (without it, from its start).
  decltype(&::fluid_player_seek) seek = nullptr;
  decltype(&::fluid_player_get_current_tick) current_tick = nullptr;
};

namespace {

template <class F>
bool Find(void* lib, const char* name, F& fn) {
  fn = reinterpret_cast<F>(SharedLibrarySymbol(lib, name));
  return fn != nullptr;
}

// The library, or null with the reason when it cannot be had.
const Fluid* LoadFluid(std::string* why) {
  static Fluid fluid;
  static const bool loaded = [] {
    void* lib = LoadSharedLibrary(kSynthLibraryNames);
    if (lib == nullptr) return false;
    Find(lib, "fluid_player_get_status", fluid.status);
    Find(lib, "fluid_synth_get_active_voice_count", fluid.voices);
    Find(lib, "fluid_player_seek", fluid.seek);
    Find(lib, "fluid_player_get_current_tick", fluid.current_tick);
    return Find(lib, "new_fluid_settings", fluid.new_settings) &&
           Find(lib, "delete_fluid_settings", fluid.delete_settings) &&
           Find(lib, "fluid_settings_setint", fluid.setint) &&
           Find(lib, "fluid_settings_setnum", fluid.setnum) &&
           Find(lib, "new_fluid_synth", fluid.new_synth) &&
           Find(lib, "delete_fluid_synth", fluid.delete_synth) &&
           Find(lib, "fluid_synth_sfload", fluid.sfload) &&
           Find(lib, "fluid_synth_all_sounds_off", fluid.all_sounds_off) &&
           Find(lib, "fluid_synth_write_s16", fluid.write_s16) &&
           Find(lib, "new_fluid_player", fluid.new_player) &&
           Find(lib, "delete_fluid_player", fluid.delete_player) &&
           Find(lib, "fluid_player_add_mem", fluid.add_mem) &&
           Find(lib, "fluid_player_play", fluid.play) && Find(lib, "fluid_player_stop", fluid.stop);
  }();
  if (!loaded && why) *why = Tr("the MIDI synthesiser library (libfluidsynth) cannot be loaded");
  return loaded ? &fluid : nullptr;
}

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> out;
  std::size_t from = 0;
  while (from <= list.size() && !list.empty()) {
    std::size_t end = std::min(list.find(';', from), list.size());
    if (end > from) out.push_back(list.substr(from, end - from));
    from = end + 1;
  }
  return out;
}

}  // namespace

MidiSynth::~MidiSynth() { Shutdown(); }

void MidiSynth::Shutdown() {
  DeletePlayer();
  piece_.clear();
  if (pending_.valid()) {
    Built l = WaitForPending();
    Free(l);
  }
  Built old;
  {
    AudioOutput::Lock hold(device_);
    old = loaded_;
    loaded_ = Built{};
    have_loaded_ = false;
  }
  Free(old);
}

MidiSynth::Built MidiSynth::Build(std::string soundfonts, int rate, SoundLog* log) {
  Built l;
  l.soundfonts = std::move(soundfonts);
  const Fluid* fluid = LoadFluid(&l.error);
  if (fluid == nullptr) {
    log->Write("velmor", Fill(Tr("MIDI cannot sound: %s"), {l.error}));
    return l;
  }
  // Its messages go through the bounded log from the first one on.
  RouteSynthLog(log);
  l.fluid = fluid;
  l.settings = fluid->new_settings();
  fluid->setnum(l.settings, "synth.sample-rate", rate);
  fluid->setint(l.settings, "synth.polyphony", kPolyphony);
  // Samples are read from the file as notes first need them.
  fluid->setint(l.settings, "synth.dynamic-sample-loading", 1);
  fluid->setnum(l.settings, "synth.gain", kGain);
  l.synth = fluid->new_synth(l.settings);
  if (l.synth == nullptr) {
    l.error = Tr("cannot start the MIDI synthesiser");
    return l;
  }
  int loaded = 0;
  for (const std::string& file : Split(l.soundfonts)) {
    if (!IsRegularFile(file) || !std::ifstream(file).good()) {
      log->Write("velmor", Fill(Tr("cannot read the SoundFont %s"), {file}));
      continue;
    }
    if (fluid->sfload(l.synth, file.c_str(), 1) == FLUID_FAILED) {
      log->Write("velmor", Fill(Tr("cannot load the SoundFont %s"), {file}));
      continue;
    }
    ++loaded;
  }
  if (loaded == 0) {
    l.error = l.soundfonts.empty() ? std::string(Tr("no SoundFont"))
                                   : Fill(Tr("no usable SoundFont in %s"), {l.soundfonts});
    if (l.soundfonts.empty()) log->Write("velmor", Fill(Tr("MIDI cannot sound: %s"), {l.error}));
  }
  return l;
}

void MidiSynth::Free(Built& l) {
  if (l.synth != nullptr) l.fluid->delete_synth(l.synth);
  if (l.settings != nullptr) l.fluid->delete_settings(l.settings);
  l = Built{};
}

void MidiSynth::Preload(std::string soundfonts, int rate, int channels,
                        SDL_AudioDeviceID device) {
  rate_ = rate;
  channels_ = channels;
  device_ = device;
  Request(soundfonts);
}

void MidiSynth::Request(const std::string& soundfonts) {
  if (pending_.valid() && pending_for_ == soundfonts) return;
  if (pending_.valid()) TakePending();  // another setting's load: finished first
  if (have_loaded_ && loaded_.soundfonts == soundfonts) return;
  pending_for_ = soundfonts;
  const int rate = rate_;
  SoundLog* log = &log_;
  loader_ = std::make_shared<LoaderPriority>();
  pending_ = std::async(std::launch::async, [soundfonts, rate, log, loader = loader_] {
    // Only with time the game's own thread leaves over: the first picture
    // comes first, and a piece that needs the SoundFont waits for it.
    loader->Idle();
    return Build(soundfonts, rate, log);
  });
}

void MidiSynth::LoaderPriority::Idle() {
  std::lock_guard<std::mutex> lock(mutex);
  thread = pthread_self();
  started = true;
#if defined(SCHED_IDLE)
  sched_param idle{};
  if (!hurried) pthread_setschedparam(thread, SCHED_IDLE, &idle);
#endif
}

void MidiSynth::LoaderPriority::Hurry() {
  // Someone waits for the load (a piece to play, or the program's end): on
  // a busy machine an idle thread would hardly run at all.
  std::lock_guard<std::mutex> lock(mutex);
  hurried = true;
  sched_param normal{};
  if (started) pthread_setschedparam(thread, SCHED_OTHER, &normal);
}

MidiSynth::Built MidiSynth::WaitForPending() {
  // Until the future is taken its thread is not joined, so its handle holds.
  if (loader_) loader_->Hurry();
  return pending_.get();
}

void MidiSynth::TakePending() {
  // The pieces are played by the synthesiser with the new SoundFont.
  Built fresh = WaitForPending();
  DeletePlayer();
  Built old;
  {
    AudioOutput::Lock hold(device_);
    old = loaded_;
    loaded_ = fresh;
    have_loaded_ = true;
  }
  Free(old);
}

MidiSynth::State MidiSynth::Poll(const std::string& soundfonts) {
  Request(soundfonts);
  if (pending_.valid()) {
    if (pending_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
      return State::Loading;
    TakePending();
  }
  return loaded_.error.empty() ? State::Ready : State::Failed;
}

bool MidiSynth::Ready(const std::string& soundfonts, std::string* why) {
  Request(soundfonts);
  if (pending_.valid()) TakePending();
  if (!loaded_.error.empty()) {
    if (why) *why = loaded_.error;
    return false;
  }
  return true;
}

bool MidiSynth::LooksUsable(const std::string& soundfonts, std::string* why) {
  // A SoundFont is a RIFF file of the form "sfbk".
  for (const std::string& file : Split(soundfonts)) {
    if (!IsRegularFile(file)) continue;  // a FIFO would be waited on
    std::ifstream in(file, std::ios::binary);
    std::array<uint8_t, 12> head{};
    if (in.read(reinterpret_cast<char*>(head.data()), head.size()) &&
        formats::IsRiff(head, "sfbk"))
      return true;
  }
  if (why)
    *why = soundfonts.empty() ? std::string(Tr("no SoundFont"))
                              : Fill(Tr("no usable SoundFont in %s"), {soundfonts});
  return false;
}

// A player hangs its timer on the synthesiser that the audio thread runs:
// players come and go with the audio thread held.
bool MidiSynth::NewPlayer() {
  AudioOutput::Lock hold(device_);
  _fluid_player_t* player = F().new_player(loaded_.synth);
  if (player != nullptr && F().add_mem(player, piece_.data(), piece_.size()) != FLUID_OK) {
    F().delete_player(player);
    player = nullptr;
  }
  player_ = player;
  return player != nullptr;
}

void MidiSynth::DeletePlayer() {
  AudioOutput::Lock hold(device_);
  sounding_ = false;
  if (player_ != nullptr) {
    F().stop(player_);
    F().delete_player(player_);
    player_ = nullptr;
    if (loaded_.synth != nullptr) F().all_sounds_off(loaded_.synth, -1);
  }
}

bool MidiSynth::Load(std::span<const uint8_t> smf, std::string* why) {
  DeletePlayer();
  piece_.assign(smf.begin(), smf.end());
  if (loaded_.synth == nullptr || !NewPlayer()) {
    if (why) *why = Tr("the MIDI player cannot take the file");
    piece_.clear();
    return false;
  }
  return true;
}

bool MidiSynth::Start(uint64_t from) {
  // A new player from the file's start (a player at its end does not
  // begin again by itself), told before it plays where to begin: it sends
  // what comes before that tick but the notes.
  DeletePlayer();
  if (loaded_.synth == nullptr || !NewPlayer()) return from == 0;
  AudioOutput::Lock hold(device_);
  bool there = from == 0;
  if (!there && F().seek != nullptr && from <= static_cast<uint64_t>(INT_MAX))
    there = F().seek(player_, static_cast<int>(from)) == FLUID_OK;
  F().play(player_);
  sounding_ = true;
  return there;
}

int64_t MidiSynth::CurrentTick() const {
  AudioOutput::Lock hold(device_);
  if (player_ == nullptr || loaded_.fluid == nullptr || loaded_.fluid->current_tick == nullptr)
    return -1;
  return loaded_.fluid->current_tick(player_);
}

void MidiSynth::Pause() {
  AudioOutput::Lock hold(device_);
  if (player_ != nullptr) {
    sounding_ = false;
    F().stop(player_);
    F().all_sounds_off(loaded_.synth, -1);
  }
}

void MidiSynth::Resume() {
  AudioOutput::Lock hold(device_);
  if (player_ != nullptr) {
    F().play(player_);
    sounding_ = true;
  }
}

void MidiSynth::Halt() { Pause(); }

void MidiSynth::Unload() {
  DeletePlayer();
  piece_.clear();
}

bool MidiSynth::Silent() const {
  if (!sounding_ || loaded_.synth == nullptr) return true;
  const Fluid& fluid = *loaded_.fluid;
  if (fluid.status == nullptr || fluid.voices == nullptr) return false;
  return (player_ == nullptr || fluid.status(player_) == FLUID_PLAYER_DONE) &&
         fluid.voices(loaded_.synth) == 0;
}

void MidiSynth::Render(int16_t* out, int frames) {
  const int channels = channels_;
  std::memset(out, 0, static_cast<std::size_t>(std::max(frames, 0)) * 2 * channels);
  if (!sounding_ || loaded_.synth == nullptr || frames <= 0) return;
  if (channels == 2) {
    loaded_.fluid->write_s16(loaded_.synth, frames, out, 0, 2, out, 1, 2);
    return;
  }
  std::vector<int16_t>& lr = scratch_;
  lr.resize(static_cast<std::size_t>(frames) * 2);
  loaded_.fluid->write_s16(loaded_.synth, frames, lr.data(), 0, 2, lr.data(), 1, 2);
  FoldStereo(lr.data(), out, frames);
}

}  // namespace velmor::platform::sdl
