// The sound output: one SDL audio device for the whole run, and the
// callback that fills its buffers on SDL's audio thread. It sounds one piece
// at a time: a WAVE piece (see wave_pcm.h), read once from its start to its
// end and converted to the output's format a buffer at a time, or the MIDI
// synthesiser, which renders into every buffer while it is the source.
//
// When nothing has sounded for about a second the callback rests on the
// audio thread (SDL's thread otherwise wakes for every buffer, sound or
// not) until anyone takes the audio lock, which wakes it first.
//
// The callback also counts the frames it has produced since the piece
// started; the player reads that count, and whether the piece still had
// sound at the last buffer, without waiting for the audio thread. Every
// other change is made with the audio lock held, between two buffers.
#pragma once

#include <SDL.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace velmor::platform::sdl {

class MidiSynth;
class WaveStream;

// The output's sound: `channels` interleaved 16-bit samples in the machine's
// byte order, `rate` frames a second.
struct OutputFormat {
  int rate = 44100;
  int channels = 2;
  int FrameBytes() const { return 2 * channels; }
};

class AudioOutput {
 public:
  AudioOutput() = default;
  ~AudioOutput() { Close(); }
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  // Opens the default device (SDL's audio subsystem must be up) for 44.1 kHz
  // stereo, or the rate and channel count the device insists on, and starts
  // the callback. False, with *why, when there is no device.
  bool Open(std::string* why);
  // Stops the callback for good, waiting for a buffer being filled.
  void Close();
  bool IsOpen() const { return device_ != 0; }
  const OutputFormat& Format() const { return format_; }
  SDL_AudioDeviceID Device() const { return device_; }

  // The next buffer starts the piece from output frame `from` (its start
  // by default), and the count from there; false without a device. `wave`
  // (made for Format()) must stay alive until Halt, Close or the next piece.
  bool PlayWave(WaveStream& wave, uint64_t from = 0);
  // The synthesiser renders every buffer until Halt, Close or the next
  // piece; the count starts at `from` (where the synthesiser's piece was
  // started).
  bool PlaySynth(MidiSynth& synth, uint64_t from = 0);
  // Silence, the piece held where it stands; the count stops too.
  void Pause();
  // Goes on where Pause left the piece.
  void Resume();
  // Silence; the piece is let go of.
  void Halt();
  // The loudness of every buffer from the next on: 0 (silent) to 100 (the
  // samples as they are).
  void SetVolume(int percent);
  int Volume() const { return volume_; }

  // As the last buffer left them, without waiting for the audio thread:
  // where the piece stands in frames (where it started plus the frames
  // produced since, paused time not counted), and whether the piece still
  // had sound to give.
  uint64_t FramesPlayed() const { return frames_; }
  bool Active() const { return active_; }

  // With the audio lock (tests and measurements): whether a piece sounds
  // (started, not paused, not at its end), and the frame of the WAVE piece
  // the next buffer starts at.
  bool Producing() const;
  uint64_t WaveFrame() const;

  // Holds the audio thread between two buffers while it lives. The lock is
  // recursive: code holding it may call the functions above.
  class Lock {
   public:
    explicit Lock(const AudioOutput& output) : Lock(output.device_) {}
    explicit Lock(SDL_AudioDeviceID device);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    SDL_AudioDeviceID device_;
  };

 private:
  enum class Source { None, Wave, Synth };

  static void SDLCALL Callback(void* output, Uint8* stream, int bytes);
  // Nothing to play and nothing counted (the caller holds the device or has
  // closed it).
  void Forget();
  void Fill(Uint8* stream, int bytes);
  bool SoundLeftLocked() const;
  // The samples of a buffer scaled by the volume.
  void Attenuate(Uint8* stream, std::size_t bytes) const;
  // Nothing has sounded for a while: the audio thread sleeps in the
  // callback until woken (see Lock) or a couple of seconds pass.
  void RestQuietly();
  void StartLocked(Source source, uint64_t from);

  SDL_AudioDeviceID device_ = 0;
  OutputFormat format_;

  // With the audio lock held.
  Source source_ = Source::None;
  WaveStream* wave_ = nullptr;
  MidiSynth* synth_ = nullptr;
  bool paused_ = false;
  int quiet_buffers_ = 0;  // buffers in a row with nothing to sound

  // Written with the audio lock held (by the callback, among others); read
  // without it.
  std::atomic<bool> counting_{false};
  std::atomic<uint64_t> frames_{0};
  std::atomic<bool> active_{false};
  std::atomic<int> volume_{100};
  std::atomic<bool> closing_{false};  // Close is waiting for the thread
};

}  // namespace velmor::platform::sdl
