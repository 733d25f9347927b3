#include "platform/sdl/audio_output.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "core/texts.h"
#include "platform/sdl/midi_synth.h"
#include "platform/sdl/wave_pcm.h"

namespace velmor::platform::sdl {

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
#if defined(__EMSCRIPTEN__)
// In a page every buffer is a call into the page's own thread: fewer,
// larger buffers (about 186 ms each) cost the page a fraction of the time,
// and a piece starts a little later.
constexpr Uint16 kChunkFrames = 8192;
#else
constexpr Uint16 kChunkFrames = 2048;  // about 46 ms a buffer
#endif

// SDL's audio thread asks for a buffer every 46 ms whether anything sounds
// or not: some 22 wake-ups a second with sound off. When nothing has
// sounded for a while, the callback rests on the audio thread until
// anyone takes the audio lock (which wakes it first) or the rest is over.
constexpr int kQuietBuffersBeforeRest = 22;  // about a second
constexpr auto kRest = std::chrono::seconds(2);

struct Rest {
  std::mutex mutex;
  std::condition_variable wake;
  bool woken = false;
};

// One output a run: one rest.
Rest& TheRest() {
  static Rest rest;
  return rest;
}

void WakeAudioThread() {
  Rest& rest = TheRest();
  {
    std::lock_guard lock(rest.mutex);
    rest.woken = true;
  }
  rest.wake.notify_all();
}

}  // namespace

AudioOutput::Lock::Lock(SDL_AudioDeviceID device) : device_(device) {
  if (device_ == 0) return;
  WakeAudioThread();  // a resting callback holds the lock
  SDL_LockAudioDevice(device_);
}

AudioOutput::Lock::~Lock() {
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

bool AudioOutput::Open(std::string* why) {
  Close();
  SDL_AudioSpec want{};
  want.freq = kRate;
  want.format = AUDIO_S16SYS;
  want.channels = kChannels;
  want.samples = kChunkFrames;
  want.callback = &AudioOutput::Callback;
  want.userdata = this;
  SDL_AudioSpec got{};
  // The pieces are converted to the device's rate and channels, and the
  // synthesiser renders at them; the samples stay 16-bit, which SDL turns
  // into whatever the device takes.
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(
      nullptr, 0, &want, &got, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
  if (device == 0) {
    if (why) *why = SDL_GetError();
    return false;
  }
  if (got.freq <= 0 || got.channels == 0 || got.format != AUDIO_S16SYS) {
    SDL_CloseAudioDevice(device);
    if (why) *why = Tr("the audio device offers an unusable format");
    return false;
  }
  format_ = {got.freq, got.channels};
  device_ = device;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void AudioOutput::Close() {
  if (device_ == 0) return;
  closing_ = true;
  WakeAudioThread();
  // Returns once the audio thread has finished: no callback after this.
  SDL_CloseAudioDevice(device_);
  device_ = 0;
  closing_ = false;
  Forget();
}

void AudioOutput::Forget() {
  source_ = Source::None;
  wave_ = nullptr;
  synth_ = nullptr;
  paused_ = false;
  counting_ = false;
  active_ = false;
}

void SDLCALL AudioOutput::Callback(void* output, Uint8* stream, int bytes) {
  static_cast<AudioOutput*>(output)->Fill(stream, bytes);
}

void AudioOutput::Fill(Uint8* stream, int bytes) {
  // Runs on the audio thread with the audio lock held.
  const auto size = static_cast<std::size_t>(std::max(bytes, 0));
  std::memset(stream, 0, size);  // silence, for 16-bit samples
  if (!paused_ && source_ == Source::Wave) {
    wave_->Read(stream, size);  // the rest of the buffer stays silent
  } else if (!paused_ && source_ == Source::Synth) {
    synth_->Render(reinterpret_cast<int16_t*>(stream), bytes / format_.FrameBytes());
  }
  Attenuate(stream, size);
  // Only while a piece plays: a paused one has not moved on.
  if (counting_) {
    frames_ += static_cast<uint64_t>(bytes / format_.FrameBytes());
    active_ = SoundLeftLocked();
  }
  const bool quiet = paused_ || !SoundLeftLocked() || (source_ == Source::Synth && synth_->Silent());
  quiet_buffers_ = quiet ? quiet_buffers_ + 1 : 0;
  // In a browser the callback runs on the page's own thread, which may never
  // block: there it does not rest.
#if !defined(__EMSCRIPTEN__)
  if (quiet_buffers_ >= kQuietBuffersBeforeRest) RestQuietly();
#endif
}

void AudioOutput::RestQuietly() {
  // Runs on the audio thread with the audio lock held; whoever wants the
  // lock wakes it first (Lock), and so does Close.
  Rest& rest = TheRest();
  std::unique_lock lock(rest.mutex);
  rest.wake.wait_for(lock, kRest, [&] { return rest.woken || closing_; });
  rest.woken = false;
}

void AudioOutput::SetVolume(int percent) { volume_ = std::clamp(percent, 0, 100); }

void AudioOutput::Attenuate(Uint8* stream, std::size_t bytes) const {
  const int volume = volume_;
  if (volume >= 100) return;  // the samples as they are
  auto* samples = reinterpret_cast<int16_t*>(stream);
  for (std::size_t i = 0; i < bytes / 2; ++i)
    samples[i] = static_cast<int16_t>(samples[i] * volume / 100);
}

bool AudioOutput::SoundLeftLocked() const {
  // The synthesiser's piece sounds as long as it is fed; its end is its
  // length, and the tail rings on.
  if (source_ == Source::Synth) return true;
  return source_ == Source::Wave && !wave_->AtEnd();
}

void AudioOutput::StartLocked(Source source, uint64_t from) {
  source_ = source;
  paused_ = false;
  frames_ = from;
  counting_ = true;
  active_ = true;
}

bool AudioOutput::PlayWave(WaveStream& wave, uint64_t from) {
  if (!IsOpen()) return false;
  Lock hold(*this);
  wave_ = &wave;
  wave_->Seek(from);
  synth_ = nullptr;
  StartLocked(Source::Wave, std::min(from, wave_->Frames()));
  return true;
}

bool AudioOutput::PlaySynth(MidiSynth& synth, uint64_t from) {
  if (!IsOpen()) return false;
  Lock hold(*this);
  wave_ = nullptr;
  synth_ = &synth;
  StartLocked(Source::Synth, from);
  return true;
}

void AudioOutput::Pause() {
  Lock hold(*this);
  if (source_ == Source::None) return;
  paused_ = true;
  counting_ = false;
}

void AudioOutput::Resume() {
  Lock hold(*this);
  if (source_ == Source::None || !paused_) return;
  paused_ = false;
  counting_ = true;
}

void AudioOutput::Halt() {
  Lock hold(*this);
  Forget();
}

bool AudioOutput::Producing() const {
  Lock hold(*this);
  return !paused_ && SoundLeftLocked();
}

uint64_t AudioOutput::WaveFrame() const {
  Lock hold(*this);
  return source_ == Source::Wave ? wave_->Given() : 0;
}

}  // namespace velmor::platform::sdl
