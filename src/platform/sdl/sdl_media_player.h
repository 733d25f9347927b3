// The real media player, on our own sound output (see AudioOutput). A WAVE
// piece is decoded by SDL's WAVE loader and converted to the output's format
// a buffer at a time as it plays (see WaveStream); MIDI goes through
// one FluidSynth synthesiser for the whole run (see MidiSynth), which
// renders into the output.
//
// Every file is read through the file service and checked first
// (sound/media_file.h); the decoders get only the checked parts. A piece
// plays once, never looped: the game repeats it itself.
//
// Decoding and converting a WAVE piece takes tens to hundreds of
// milliseconds for a few minutes of sound, which would make the 20 ms tick
// late: after the first WAVE file (the start-up probe's, which needs the
// answer at once) pieces are decoded on a loader thread. Open returns as
// soon as the file is checked, Play while the piece loads marks it to start
// the moment it is ready, and the player reports Playing meanwhile. A piece
// meant for a file that has since been closed is thrown away. A MIDI piece
// is ready at once: the SoundFont was loaded when the sound started up.
//
// A piece ends at its length (the checked file's playing time), counted in
// the sound the output has produced since it started, from where it
// started: PlayFrom starts a WAVE piece at the sample frame of that time
// and a MIDI piece at the tick its tempo map puts there (the synthesiser
// sends what comes before it but the notes, so the instruments and the
// tempo are those of that place). The synthesiser itself
// keeps a MIDI piece going until the last notes have died away; the mode
// turns Stopped at the last event, as a sequencer reports it, so the game's
// repeat comes in time, and the tail rings on until the piece starts again
// or is stopped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "formats/media_file.h"
#include "platform/media_player.h"
#include "platform/sdl/audio_output.h"
#include "platform/sdl/midi_synth.h"
#include "platform/sdl/sound_log.h"
#include "platform/sdl/wave_pcm.h"

namespace velmor::platform {

class Files;

namespace sdl {

// The SoundFont MIDI uses unless told otherwise (Debian's timgm6mb-soundfont).
constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

class SdlMediaPlayer : public MediaPlayer {
 public:
  // Opens the sound output (SDL's audio subsystem, 44.1 kHz stereo). Without
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
  // The SoundFont setting in effect (empty: none to be had).
  std::string SoundFont() const;

  bool Open(std::string* error) override;
  void Play() override;
  void PlayFrom(uint32_t ms) override;
  uint32_t PositionMs() const override;
  bool Stop(std::string* error) override;
  MediaMode Mode() override;
  uint32_t MsUntilStopped() override;
  int Error() const override { return error_; }
  const std::string& OpenedFile() const override { return opened_; }
  void SetVolume(int percent) override { output_.SetVolume(percent); }

  bool HasOutput() const { return output_.IsOpen(); }
  // The sound output (tests and measurements).
  const AudioOutput& Output() const { return output_; }
  // The MIDI synthesiser (tests).
  const MidiSynth& Synth() const { return midi_; }
  // Waits until no piece is loading (tests and measurements).
  void WaitForLoad();
  const SoundLog& Log() const { return log_; }

 private:
  enum class Load { None, Loading, Ready, Failed };
  // A WAVE piece to decode for the output, keeping `frames` sample frames.
  struct Job {
    uint64_t generation = 0;
    std::shared_ptr<formats::ByteSource> clean;  // the clean file
    uint64_t frames = 0;
    std::string path;  // for messages
  };
  // A WAVE piece, decoded, converted for the output as it plays.
  using Pcm = std::unique_ptr<WaveStream>;

  void Close();
  bool OpenWave(formats::MediaFile& file, std::string* error);
  bool OpenMidi(formats::MediaFile& file, std::string* error);
  void LoaderLoop();
  void RunJob(std::unique_lock<std::mutex>& lock);
  // With mutex_ held.
  void Install(Pcm pcm);
  // Starts the piece from start_ms_ (which goes back to 0).
  void StartLocked();
  bool ReadyToPlayLocked();
  void LoadFailedLocked(const std::string& why);
  // A MIDI piece waiting for the SoundFont goes to the synthesiser once it
  // is loaded (waiting for it when asked to).
  void ResolveMidiLocked(bool wait);
  bool AtEndLocked() const;
  uint64_t PlayedMs() const;

  Files& files_;
  SoundLog log_;
  bool audio_started_ = false;  // SDL's audio subsystem
  std::string soundfont_option_;
  bool wave_opened_once_ = false;
  MidiSynth midi_;
  AudioOutput output_;

  // Main thread only.
  std::string opened_;
  int error_ = media_error::kNone;
  uint32_t length_ms_ = 0;  // of the open piece
  formats::MidiTempoMap midi_tempo_;  // of the open MIDI piece

  // Shared with the loader thread.
  mutable std::mutex mutex_;
  std::condition_variable wake_loader_;
  std::condition_variable load_done_;
  uint64_t generation_ = 0;  // counts files opened; a loaded piece carries its file's
  Load load_ = Load::None;
  bool wave_piece_ = false;  // a WAVE piece, in pcm_ (never null then)
  Pcm pcm_;                  // the output reads from these while it plays
  bool midi_piece_ = false;  // a MIDI piece, in the synthesiser
  std::optional<std::vector<uint8_t>> midi_waiting_;  // one waiting for the SoundFont
  bool told_no_soundfont_ = false;
  std::vector<Pcm> retired_;   // pieces put away, for the loader thread to free
  bool play_pending_ = false;  // Play came while the piece was loading
  uint32_t start_ms_ = 0;      // where the piece starts when it starts
  bool started_ = false;       // the output has been told to play this piece
  bool paused_ = false;        // stopped by Stop, goes on where it stood
  std::optional<Job> job_;
  bool loader_busy_ = false;  // the loader thread is decoding a piece
  bool quit_ = false;
  std::thread loader_;
};

}  // namespace sdl
}  // namespace velmor::platform
