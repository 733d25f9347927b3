// The real media player: SDL_mixer's music channel. WAVE goes through the
// mixer's own decoder (ADPCM, which that decoder does not take, decoded to
// PCM first by SDL's WAVE loader); MIDI through one FluidSynth synthesiser
// for the whole run (see MidiSynth), which feeds the music channel.
//
// Every file is read through the file service and checked first
// (platform/media_check.h); the decoders get only the checked parts. A piece
// plays once, never looped: the game repeats it itself.
//
// Decoding an ADPCM WAVE piece takes tens of milliseconds for a few minutes
// of sound, which would make the 20 ms tick late: after the first WAVE file
// (the start-up probe's, which needs the answer at once) such pieces are
// decoded on a loader thread. Open returns as soon as the file is checked,
// Play while the piece loads marks it to start the moment it is ready, and
// the player reports Playing meanwhile. A piece meant for a file that has
// since been closed is thrown away. A MIDI piece is ready at once: the
// SoundFont was loaded when the sound started up.
//
// A piece ends at its length (the checked file's playing time), counted in
// the sound the mixer has produced since it started. The synthesiser itself
// keeps a MIDI piece going until the last notes have died away; the mode
// turns Stopped at the last event, as a sequencer reports it, so the game's
// repeat comes in time, and the tail rings on until the piece starts again
// or is stopped.
#pragma once

#include <SDL_mixer.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/media_check.h"
#include "platform/media_player.h"
#include "platform/sdl/midi_synth.h"
#include "platform/sdl/sound_log.h"

namespace velmor::platform {

class Files;

namespace sdl {

// The SoundFont MIDI uses unless told otherwise (Debian's timgm6mb-soundfont).
constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// A checked ADPCM WAVE file (CheckWave's `clean` bytes) decoded by SDL's WAVE
// loader into a 16-bit PCM WAVE file of its first `frames` sample frames,
// which the mixer's WAVE decoder plays. Nothing, with *why set, when SDL
// cannot decode it.
std::optional<std::vector<uint8_t>> AdpcmToPcmWave(std::span<const uint8_t> clean, uint64_t frames,
                                                   std::string* why);

class SdlMediaPlayer : public MediaPlayer {
 public:
  // Opens the audio output (SDL's audio subsystem, 44.1 kHz stereo). Without
  // one, files still open and are checked, and every Play records
  // kNoOutput. Library messages go to `log_stream` (bounded, see SoundLog).
  // `soundfont`: as SetSoundFont; it starts loading at once.
  explicit SdlMediaPlayer(Files& files, std::string soundfont = {},
                          std::FILE* log_stream = stderr);
  ~SdlMediaPlayer() override;
  SdlMediaPlayer(const SdlMediaPlayer&) = delete;
  SdlMediaPlayer& operator=(const SdlMediaPlayer&) = delete;

  // The SoundFont(s) for MIDI (--soundfont; several separated by ";"). Empty:
  // SDL_SOUNDFONTS from the environment if set, else kDefaultSoundFont if
  // present. Takes effect at the next MIDI file opened.
  void SetSoundFont(std::string path);
  // The SoundFont setting in effect (empty: the mixer's default).
  std::string SoundFont() const;

  bool Open(std::string* error) override;
  void Play() override;
  bool Stop(std::string* error) override;
  MediaMode Mode() override;
  uint32_t MsUntilStopped() override;
  int Error() const override { return error_; }
  const std::string& OpenedFile() const override { return opened_; }

  bool HasOutput() const { return audio_open_; }
  // Waits until no piece is loading (tests and measurements).
  void WaitForLoad();
  const SoundLog& Log() const { return log_; }

 private:
  enum class Load { None, Loading, Ready, Failed };
  // An ADPCM WAVE piece to decode to PCM, keeping `frames` sample frames.
  struct Job {
    uint64_t generation = 0;
    std::vector<uint8_t> bytes;
    uint64_t frames = 0;
    std::string path;  // for messages
  };
  // A WAVE piece put away when its file closed, waiting for the loader
  // thread to free it.
  struct Retired {
    Mix_Music* music = nullptr;
    std::vector<uint8_t> bytes;
  };

  void Close();
  bool OpenWave(MediaFile& file, std::string* error);
  bool OpenMidi(MediaFile& file, std::string* error);
  bool LoadNow(std::vector<uint8_t> bytes, std::string* mixer_error);
  void LoaderLoop();
  // With mutex_ held.
  void Install(Mix_Music* music, std::vector<uint8_t> bytes);
  std::vector<Retired> TakeFreeableLocked();
  void StartLocked();
  void LoadFailedLocked(const std::string& why);
  // A MIDI piece waiting for the SoundFont goes to the synthesiser once it
  // is loaded (waiting for it when asked to).
  void ResolveMidiLocked(bool wait);
  bool AtEndLocked() const;
  // Counts the sound produced while a piece plays (the mixer's audio thread).
  static void OnPostMix(void* player, Uint8* stream, int bytes);

  Files& files_;
  SoundLog log_;
  bool audio_open_ = false;
  std::string soundfont_option_;
  bool wave_opened_once_ = false;
  MidiSynth midi_;

  int rate_ = 44100;     // frames a second of the output
  int channels_ = 2;
  int frame_bytes_ = 4;  // bytes a frame of the output

  // Main thread only.
  std::string opened_;
  int error_ = media_error::kNone;
  uint32_t length_ms_ = 0;  // of the open piece

  // Written by the audio thread.
  std::atomic<bool> counting_{false};
  std::atomic<uint64_t> frames_played_{0};
  std::atomic<bool> music_active_{false};  // the mixer's music channel is busy
  std::atomic<bool> midi_sounding_{false};  // the synthesiser feeds the music channel

  // Shared with the loader thread.
  mutable std::mutex mutex_;
  std::condition_variable wake_loader_;
  std::condition_variable load_done_;
  uint64_t generation_ = 0;  // counts files opened; a loaded piece carries its file's
  Load load_ = Load::None;
  Mix_Music* music_ = nullptr;  // a WAVE piece
  bool midi_piece_ = false;     // a MIDI piece, in the synthesiser
  std::optional<std::vector<uint8_t>> midi_waiting_;  // one waiting for the SoundFont
  bool told_no_soundfont_ = false;
  std::vector<uint8_t> music_bytes_;  // the decoder reads from these while it plays
  std::vector<Retired> retired_;
  bool play_pending_ = false;  // Play came while the piece was loading
  bool started_ = false;       // the mixer has been told to play this piece
  bool paused_ = false;        // stopped by Stop, goes on where it stood
  std::optional<Job> job_;
  bool loader_busy_ = false;  // the loader thread is inside the mixer
  bool quit_ = false;
  std::thread loader_;
};

}  // namespace sdl
}  // namespace velmor::platform
