// Music and sound effects through the one media player: the scenario names a
// sound, the player's choice of source (WAVE, MIDI for either sound module,
// or none) decides which file plays, and a requested sound repeats.
//
// A sound file that cannot be opened, and a stop with no file open, throw
// GameError with the media service's text: the event in progress (a tick, a
// button handler) ends there and whoever runs it shows the text.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/byte_string.h"
#include "core/controls.h"
#include "platform/media_player.h"

namespace velmor::sound {

constexpr std::string_view SNDDIR = "SOUND\\";

// The three sources that sound a scenario's music.
enum class MusicSource { Wave, Midi, Sc88Midi };
inline constexpr MusicSource kMusicSources[] = {MusicSource::Wave, MusicSource::Midi,
                                                MusicSource::Sc88Midi};
// The file the source plays for the scenario's sound `name` (Shift-JIS),
// under the data folder: "SOUND\M01.WAV", "SOUND\M01.MID", "SOUND\SC88\M01.MID".
std::string MusicFile(MusicSource source, std::string_view name);

// The four source buttons of the settings panel.
struct SourceButtons {
  RadioButton& MuteBtn;   // code 0
  RadioButton& WaveBtn;   // code 1
  RadioButton& MidiBtn;   // code 2, MIDI for the SC-55
  RadioButton& MidiBtn2;  // code 3, MIDI for the SC-88
};

class Music {
 public:
  // `dat_path`: the data folder as the system names it, ending in "/".
  Music(platform::MediaPlayer& player, SourceButtons buttons, const std::string& dat_path)
      : player_(player), buttons_(buttons), dat_path_(dat_path) {}

  Sstr MusicName;
  uint8_t MusicLoop = 0;

  // Op 32: the named sound in the chosen source, repeating.
  void PlayMusic(const ByteString& name);
  // A restored game's sound (a save loaded, a step back): the named sound,
  // repeating, from `position_ms` into it. With `go_on`, when the player
  // already plays that very file it goes on where it is (music goes on
  // under a step back within one piece). Throws as PlayMusic.
  void ResumeMusic(const ByteString& name, uint32_t position_ms, bool go_on);
  // Op 33: stops the sound and forgets it.
  void StopMusic();
  // Op 34: the current sound plays to its end without repeating.
  void PlayMusicOnce() { MusicLoop = 0; }
  // Each tick: restarts a repeating sound that has come to its end.
  void LoopCheck();
  // A source button (or the group box) clicked: the remembered sound in the
  // chosen source.
  void MidiBtnClick();
  // Start-up: which sources can play at all. Plays "QV00.WAV" and
  // "QV00.MID" and disables the sources whose probe file the player refuses
  // (damaged, or in an encoding it cannot sound) or fails to play. A probe
  // file that cannot be read throws GameError.
  void Probe();

  // The file a name stands for in the checked source (empty when muted).
  std::string PathFor(const ByteString& name) const;

  // Told of each sound the player could not open, for the --warn report:
  // "music " and the player's text (UTF-8); none by default.
  std::function<void(const std::string& text)> OnFailure;

 private:
  // Opens the player's file name (throws the service's text) and plays it
  // (from `from_ms` into it when given).
  void OpenAndPlay(std::optional<uint32_t> from_ms = std::nullopt);
  // The path the named sound plays from, after the checks PlayMusic makes
  // (throws for a name that leaves the data folder); empty when muted,
  // having silenced the player.
  std::string ChosenPath(const ByteString& name);
  // Stops the player; the no-device text when no file was open, else empty.
  std::string StopPlayer();

  platform::MediaPlayer& player_;
  SourceButtons buttons_;
  const std::string& dat_path_;
};

}  // namespace velmor::sound
