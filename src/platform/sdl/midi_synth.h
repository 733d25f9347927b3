// MIDI music through one FluidSynth synthesiser for the whole run, rendered
// into the sound output (see audio_output.h).
//
// The SoundFont is loaded once, on a thread of its own from the moment the
// sound starts up (building its instruments takes tens of milliseconds,
// which must not delay the first picture), and its samples are read only as
// notes need them: a General MIDI SoundFont costs a few megabytes instead
// of its whole size, and changing pieces never loads it again. A piece is a
// FluidSynth player on that synthesiser; the output's callback asks the
// synthesiser for sound, which also moves the player on.
#pragma once

#include <pthread.h>

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;

namespace velmor::platform::sdl {

class SoundLog;

struct Fluid;

class MidiSynth {
 public:
  explicit MidiSynth(SoundLog& log) : log_(log) {}
  ~MidiSynth();
  MidiSynth(const MidiSynth&) = delete;
  MidiSynth& operator=(const MidiSynth&) = delete;

  enum class State { Loading, Ready, Failed };

  // Voices at once: as many as the larger of the two sound modules the game
  // was written for had.
  static constexpr int kPolyphony = 64;
  // The synthesiser's loudness: the level MIDI has always sounded at beside
  // the WAVE pieces.
  static constexpr double kGain = 1.2;

  // Starts loading `soundfonts` (files separated by ";") for the output
  // `device`, at `rate` frames a second, `channels` interleaved 16-bit
  // channels. Players change with that device's audio lock held.
  void Preload(std::string soundfonts, int rate, int channels, SDL_AudioDeviceID device);
  // The output is closed: there is no audio thread to hold any more.
  void ForgetDevice() { device_ = 0; }
  // Waits for a SoundFont still loading and lets go of the synthesiser:
  // before SDL's audio goes (the library asks SDL about audio devices when
  // it builds a synthesiser).
  void Shutdown();
  // Where the load of `soundfonts` stands (starting it, or a new one when
  // the setting changed), without waiting for it.
  State Poll(const std::string& soundfonts);
  // Waits for the load of `soundfonts`. False, with why, when none of the
  // files could be loaded: MIDI cannot sound.
  bool Ready(const std::string& soundfonts, std::string* why);
  // Whether any of the files is a SoundFont at all (its header, read at
  // once): what the start-up probe can know before the load is done.
  static bool LooksUsable(const std::string& soundfonts, std::string* why);

  // A new piece (a Standard MIDI File), replacing the last one; it does not
  // play yet.
  bool Load(std::span<const uint8_t> smf, std::string* why);
  // From tick `from` (its start by default). True when it starts there:
  // false when the library cannot seek (it starts from the start then).
  bool Start(uint64_t from = 0);
  // The tick the piece's player has reached, -1 without one or without the
  // library's say (tests).
  int64_t CurrentTick() const;
  // Holds the piece where it stands (its notes stop), and goes on.
  void Pause();
  void Resume();
  // Silence at once; the piece stays loaded.
  void Halt();
  // The piece is gone (the player let go of the file).
  void Unload();

  // Writes `frames` frames of the output's channels to `out`: the
  // synthesiser while a piece sounds, silence otherwise. Runs on the audio
  // thread with the audio lock held.
  void Render(int16_t* out, int frames);
  // Nothing left to sound: no piece sounding, or its end played and every
  // note died away (as far as the library can tell). Audio thread, lock
  // held.
  bool Silent() const;

 private:
  // The synthesiser's stereo frames `lr` into the output's channels: left
  // and right go to the first two (both into one for mono).
  void FoldStereo(const int16_t* lr, int16_t* out, int frames) const;
  struct Built {
    std::string soundfonts;
    const Fluid* fluid = nullptr;  // the synthesiser library's functions
    _fluid_synth_t* synth = nullptr;
    _fluid_hashtable_t* settings = nullptr;
    std::string error;  // why no SoundFont could be loaded
  };
  static Built Build(std::string soundfonts, int rate, SoundLog* log);
  void Request(const std::string& soundfonts);
  void TakePending();
  void Free(Built& l);
  void DeletePlayer();
  // The library's functions (once a synthesiser was built).
  const Fluid& F() const { return *loaded_.fluid; }
  bool NewPlayer();

  SoundLog& log_;
  int rate_ = 44100;
  int channels_ = 2;
  SDL_AudioDeviceID device_ = 0;
  // The loading thread runs at idle priority until someone waits for it.
  struct LoaderPriority {
    void Idle();   // on the loading thread, as it starts
    void Hurry();  // by the one who waits
    std::mutex mutex;
    pthread_t thread{};
    bool started = false;
    bool hurried = false;
  };
  Built WaitForPending();

  std::future<Built> pending_;
  std::shared_ptr<LoaderPriority> loader_;
  std::string pending_for_;
  Built loaded_;
  bool have_loaded_ = false;
  _fluid_player_t* player_ = nullptr;
  std::vector<uint8_t> piece_;  // the file: each start builds its player anew
  std::vector<int16_t> scratch_;  // stereo frames for outputs of other channel counts
  std::atomic<bool> sounding_{false};  // Render renders the synthesiser
};

}  // namespace velmor::platform::sdl
