// Music requests, the source buttons, the loop check and the start-up probe,
// on the headless media player; the headless player's own commands on
// virtual time, and the files it refuses.
#include "sound/music.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>

#include "core/errors.h"
#include "platform/headless/headless_media_player.h"
#include "platform/headless/memory_files.h"
#include "sound_files.h"

namespace velmor::sound {
namespace {

// The sound subsystem as the game wires it: the four source buttons in one
// group (WAVE checked at first), each and the group box running MidiBtnClick.
class SoundRig {
 public:
  SoundRig() {
    for (RadioButton* b : {&MuteBtn, &WaveBtn, &MidiBtn, &MidiBtn2}) {
      b->group = {&WaveBtn, &MidiBtn, &MidiBtn2, &MuteBtn};
      b->OnClick = [this] { Run([this] { music.MidiBtnClick(); }); };
    }
    SoundGroupBox.OnClick = [this] { Run([this] { music.MidiBtnClick(); }); };
    WaveBtn.checked = true;
    for (const char* name : {"QV00", "M01", "M02"}) {
      files.Put(std::string("D/SOUND/") + name + ".WAV", testing::ToneWave(name[1] == 'V' ? 60 : 100));
      files.Put(std::string("D/SOUND/") + name + ".MID", testing::NoteMidi(name[1] == 'V' ? 60 : 200));
    }
    files.Put("D/SOUND/SC88/M01.MID", testing::NoteMidi(300));
    files.Put("D/SOUND/A.WAV", testing::ToneWave(100));
    files.Put("D/SOUND/B.MID", testing::NoteMidi(250));
    files.Put("D/SOUND/BAD.MID", testing::BogusLengthMidi());
    files.Put("D/SOUND/WAVE.MID", testing::ToneWave(100));
  }

  // Runs an event as the game does: an error ends it and is shown.
  void Run(const std::function<void()>& event) try {
    event();
  } catch (const GameError& e) {
    errors.push_back(e.message());
  }

  // Steps, separated by commas: a scenario's request ("play M01", "stop",
  // "once"), a click ("click Mute"), "tick N" (20 ms each, then the loop
  // check), "probe", "put NAME" (a WAVE file turns up), "mute" or "forget"
  // (the button checked, the file name dropped, and nothing else), a
  // restored game's sound ("resume NAME MS", "goon NAME MS": the same piece
  // playing goes on); or a command straight to the player ("open PATH",
  // "start", "from MS", "halt", "advance MS").
  void Do(const std::string& steps) {
    std::istringstream in(steps);
    std::string error;
    auto Report = [this](bool ok, const std::string& text) { if (!ok) errors.push_back(text); };
    for (std::string step; std::getline(in, step, ',');) {
      std::istringstream words(step);
      std::string verb, arg;
      words >> verb >> arg;
      const std::map<std::string, Control*> controls = {{"Mute", &MuteBtn}, {"Wave", &WaveBtn},
          {"Midi", &MidiBtn}, {"Midi2", &MidiBtn2}, {"Group", &SoundGroupBox}};
      if (verb == "play") Run([&] { music.PlayMusic(ByteString(arg)); });
      else if (verb == "stop") Run([&] { music.StopMusic(); });
      else if (verb == "once") music.PlayMusicOnce();
      else if (verb == "probe") Run([&] { music.Probe(); });
      else if (verb == "put") files.Put("D/SOUND/" + arg, testing::ToneWave(100));
      else if (verb == "click") controls.at(arg)->Click();
      else if (verb == "mute") MuteBtn.checked = true, WaveBtn.checked = false;  // without a click
      else if (verb == "forget") player.SetFileName("");
      else if (verb == "open") player.SetFileName(arg), Report(player.Open(&error), error);
      else if (verb == "start") player.Play();
      else if (verb == "from") player.PlayFrom(static_cast<uint32_t>(std::stoul(arg)));
      else if (verb == "resume" || verb == "goon") {
        std::string ms;
        words >> ms;
        Run([&] { music.ResumeMusic(ByteString(arg), static_cast<uint32_t>(std::stoul(ms)), verb == "goon"); });
      }
      else if (verb == "halt") Report(player.Stop(&error), error);
      else if (verb == "advance") player.Advance(static_cast<uint32_t>(std::stoi(arg)));
      else if (verb == "tick")
        for (int i = 0; i < std::stoi(arg); ++i) player.Advance(20), music.LoopCheck();
      else ADD_FAILURE() << "unknown step " << step;
    }
  }

  // The player's mode, file name and place; then the requested sound and
  // whether it repeats, how often a file was opened and played (or tried),
  // how many errors were shown.
  std::string State() const {
    auto count = [&](const char* verb) {
      return std::count_if(player.Commands().begin(), player.Commands().end(),
                           [&](const std::string& c) { return c.starts_with(verb); });
    };
    std::ostringstream o;
    o << player.ModeName() << " " << player.FileName() << " at " << player.PositionMs() << "; "
      << music.MusicName.view() << " loop " << int{music.MusicLoop} << "; " << count("open ")
      << " opens, " << count("play") << " plays, " << errors.size() << " errors";
    return o.str();
  }

  platform::MemoryFiles files;
  platform::HeadlessMediaPlayer player{files};
  RadioButton MuteBtn{"MuteBtn"}, WaveBtn{"WaveBtn"}, MidiBtn{"MidiBtn"}, MidiBtn2{"MidiBtn2"};
  GroupBox SoundGroupBox{"SoundGroupBox"};
  std::string DatPath{"D/"};
  Music music{player, SourceButtons{MuteBtn, WaveBtn, MidiBtn, MidiBtn2}, DatPath};
  std::vector<std::string> errors;
};

// Steps, each with the state after it (without a ";" only the player's
// part is compared; "error: TEXT": the last error shown). A sound repeats
// only while it is requested, audible, stopped at its end and open: every
// play the loop check makes shows in the count.
struct Scenario { const char* name; std::vector<std::pair<const char*, const char*>> steps; };

const Scenario kScenarios[] = {
    {"the player plays from a time into the piece, playing or not; at or past its end from the start",
     {{"open D\\SOUND\\A.WAV, from 30", "playing D\\SOUND\\A.WAV at 30"},
      {"advance 50", "playing D\\SOUND\\A.WAV at 80"}, {"from 10", "playing D\\SOUND\\A.WAV at 10"},
      {"halt, from 60", "playing D\\SOUND\\A.WAV at 60"}, {"advance 40", "stopped D\\SOUND\\A.WAV at 100"},
      {"from 99", "playing D\\SOUND\\A.WAV at 99"}, {"from 100", "playing D\\SOUND\\A.WAV at 0"},
      {"from 4000000000", "playing D\\SOUND\\A.WAV at 0"},
      {"open D\\SOUND\\NONE.WAV, from 30", "error: No such file or directory"},
      {"tick 1", "not ready D\\SOUND\\NONE.WAV at 0"}}},
    {"a restored sound starts where it was; the same piece playing goes on only when asked to",
     {{"play M01, tick 2", "playing D/SOUND/M01.WAV at 40; M01 loop 1; 1 opens, 1 plays, 0 errors"},
      {"goon M01 70", "playing D/SOUND/M01.WAV at 40; M01 loop 1; 1 opens, 1 plays, 0 errors"},
      {"resume M01 70", "playing D/SOUND/M01.WAV at 70; M01 loop 1; 1 opens, 2 plays, 0 errors"},
      {"resume M02 50", "playing D/SOUND/M02.WAV at 50; M02 loop 1; 2 opens, 3 plays, 0 errors"},
      {"goon M01 30", "playing D/SOUND/M01.WAV at 30; M01 loop 1; 3 opens, 4 plays, 0 errors"},
      {"once, tick 10, goon M01 20", "playing D/SOUND/M01.WAV at 20; M01 loop 1; 3 opens, 5 plays, 0 errors"},
      {"resume M02 100", "playing D/SOUND/M02.WAV at 0; M02 loop 1; 4 opens, 6 plays, 0 errors"},
      {"click Mute, resume M01 30", "stopped  at 0; M01 loop 1; 4 opens, 6 plays, 0 errors"},
      {"click Midi", "playing D/SOUND/M01.MID at 0; M01 loop 1; 5 opens, 7 plays, 0 errors"},
      {"resume ../M01 30", "error: ../M01"}}},
    {"the player plays to the end, stops in place and rewinds when played again",
     {{"open D\\SOUND\\A.WAV", "stopped D\\SOUND\\A.WAV at 0"},
      {"start, advance 80", "playing D\\SOUND\\A.WAV at 80"},
      {"advance 20", "stopped D\\SOUND\\A.WAV at 100"}, {"advance 20", "stopped D\\SOUND\\A.WAV at 100"},
      {"start", "playing D\\SOUND\\A.WAV at 0"}, {"open D\\SOUND\\B.mid", "stopped D\\SOUND\\B.mid at 0"},
      {"start, advance 60, halt, advance 100", "stopped D\\SOUND\\B.mid at 60"},
      {"start", "playing D\\SOUND\\B.mid at 60"}, {"advance 190", "stopped D\\SOUND\\B.mid at 250"}}},
    {"the player refuses a file it cannot read or check, naming it, and then has none open",
     {{"open D\\SOUND\\A.WAV, start, open D\\SOUND\\NONE.WAV", "error: No such file or directory"},
      {"halt", "error: The media device is not open."}, {"start", "not ready D\\SOUND\\NONE.WAV at 0"},
      {"open D\\SOUND\\A.WAV, start, open D\\SOUND\\BAD.MID",
       "error: D\\SOUND\\BAD.MID: damaged MIDI file: track 1 runs past the end of the file"},
      {"open D\\SOUND\\A.WAV, start, open D\\SOUND\\WAVE.MID", "error: D\\SOUND\\WAVE.MID: not a MIDI file"},
      {"open D\\SOUND\\A.WAV, start, open D\\SOUND\\A.OGG", "error: D\\SOUND\\A.OGG: not a WAVE or MIDI file name"},
      {"halt", "error: The media device is not open."}, {"tick 1", "not ready D\\SOUND\\A.OGG at 0"}}},
    {"a request opens the sound in the chosen source and repeats it; the name is kept to 16 bytes",
     {{"play M01", "playing D/SOUND/M01.WAV at 0; M01 loop 1; 1 opens, 1 plays, 0 errors"},
      {"tick 2, play M01, tick 2", "playing D/SOUND/M01.WAV at 80; M01 loop 1; 1 opens, 1 plays, 0 errors"},
      {"tick 1", "playing D/SOUND/M01.WAV at 0; M01 loop 1; 1 opens, 2 plays, 0 errors"},
      {"play ABCDEFGHIJKLMNOPQRST",
       "not ready D/SOUND/ABCDEFGHIJKLMNOPQRST.WAV at 0; ABCDEFGHIJKLMNOP loop 1; 2 opens, 2 plays, 1 errors"}}},
    {"played once it ends; the same request repeats it from the next tick",
     {{"play M01, once, tick 15", "stopped D/SOUND/M01.WAV at 100; M01 loop 0; 1 opens, 1 plays, 0 errors"},
      {"play M01", "stopped D/SOUND/M01.WAV at 100; M01 loop 1; 1 opens, 1 plays, 0 errors"},
      {"tick 1", "playing D/SOUND/M01.WAV at 0; M01 loop 1; 1 opens, 2 plays, 0 errors"}}},
    {"mute silences at once and keeps the sound for the next source",
     {{"play M01, tick 2, click Mute, tick 10", "stopped  at 40; M01 loop 1; 1 opens, 1 plays, 0 errors"},
      {"click Wave", "playing D/SOUND/M01.WAV at 0; M01 loop 1; 2 opens, 2 plays, 0 errors"},
      {"click Mute, play M02", "stopped  at 0; M02 loop 1; 2 opens, 2 plays, 0 errors"},
      {"click Midi", "playing D/SOUND/M02.MID at 0; M02 loop 1; 3 opens, 3 plays, 0 errors"}}},
    {"another source restarts the sound from its file; the same one or the group only repeats it",
     {{"play M01, tick 3, click Midi2", "playing D/SOUND/SC88/M01.MID at 0; M01 loop 1; 2 opens, 2 plays, 0 errors"},
      {"tick 2, click Midi", "playing D/SOUND/M01.MID at 0; M01 loop 1; 3 opens, 3 plays, 0 errors"},
      {"tick 2, click Wave", "playing D/SOUND/M01.WAV at 0; M01 loop 1; 4 opens, 4 plays, 0 errors"},
      {"tick 2, once, click Wave", "playing D/SOUND/M01.WAV at 40; M01 loop 1; 4 opens, 4 plays, 0 errors"},
      {"once, click Group", "playing D/SOUND/M01.WAV at 40; M01 loop 1; 4 opens, 4 plays, 0 errors"}}},
    {"stop forgets the sound so that no source brings it back",
     {{"play M01, tick 2, stop", "stopped  at 40;  loop 0; 1 opens, 1 plays, 0 errors"},
      {"click Midi, click Midi2, tick 10", "stopped  at 40;  loop 0; 1 opens, 1 plays, 0 errors"}}},
    {"a file that cannot be opened is reported once, not retried for the same request",
     {{"play M01, play NONE", "error: No such file or directory"},
      {"play NONE, tick 5", "not ready D/SOUND/NONE.WAV at 0; NONE loop 1; 2 opens, 1 plays, 1 errors"},
      {"click Midi", "not ready D/SOUND/NONE.MID at 0; NONE loop 1; 3 opens, 1 plays, 2 errors"},
      {"play M02", "playing D/SOUND/M02.MID at 0; M02 loop 1; 4 opens, 2 plays, 2 errors"}}},
    {"mute or stop with no file open is the no-device error; the sound is kept or forgotten",
     {{"play NONE, click Mute", "error: The media device is not open."},
      {"tick 1", "not ready  at 0; NONE loop 1; 1 opens, 0 plays, 2 errors"},
      {"put NONE.WAV, click Wave", "playing D/SOUND/NONE.WAV at 0; NONE loop 1; 2 opens, 1 plays, 2 errors"},
      {"play GONE, stop", "error: The media device is not open."},
      {"tick 1", "not ready  at 0;  loop 0; 3 opens, 1 plays, 4 errors"}}},
    {"the loop check leaves a muted sound",
     {{"play M01, mute, tick 10", "stopped D/SOUND/M01.WAV at 100; M01 loop 1; 1 opens, 1 plays, 0 errors"}}},
    {"the loop check leaves a sound without a file name",
     {{"play M01, forget, tick 10", "stopped  at 100; M01 loop 1; 1 opens, 1 plays, 0 errors"}}},
    {"the first request replaces the probe sound",
     {{"probe", "playing D/SOUND/QV00.MID at 0;  loop 0; 2 opens, 2 plays, 0 errors"},
      {"play M01", "playing D/SOUND/M01.WAV at 0; M01 loop 1; 3 opens, 3 plays, 0 errors"}}},
};

TEST(Music, StateTransitions) {
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.name);
    SoundRig rig;
    for (const auto& [step, expected] : s.steps) {
      SCOPED_TRACE(step);
      rig.Do(step);
      const std::string after = expected;
      if (after.starts_with("error: ")) {
        ASSERT_FALSE(rig.errors.empty());
        EXPECT_NE(rig.errors.back().find(after.substr(7)), std::string::npos) << rig.errors.back();
      } else if (!after.empty()) {
        EXPECT_EQ(rig.State().substr(0, after.find(';') == std::string::npos ? after.size() : std::string::npos), after);
      }
    }
  }
}

// Each probe file as the rig has it (""), opening but unable to sound
// ("silent"), missing, or a file of the test data; the buttons after it (a
// disabled one in brackets, the checked one starred) and the player's
// commands (W and M for the two files). A file the player reads but refuses
// only takes its source away; one it cannot read is an error (which ends
// start-up).
TEST(Music, TheProbeDisablesTheSourcesThatCannotSound) {
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"", "", "Mute Wave* Midi Midi2", "open W, play, open M, play"},
      {"silent", "", "Mute (Wave) Midi* Midi2", "open W, play failed, open M, play"},
      {"", "silent", "Mute Wave* (Midi) (Midi2)", "open W, play, open M, play failed"},
      {"silent", "silent", "Mute* (Wave) (Midi) (Midi2)",
       "open W, play failed, open M, play failed"},
      {"formats/media/wave_ima_mono.wav", "", "Mute Wave* Midi Midi2",
       "open W, play, open M, play"},
      {"sound/ms_stereo_last_block_short.wav", "", "Mute Wave* Midi Midi2",
       "open W, play, open M, play"},
      {"missing", "", "Mute Wave* Midi Midi2", "open W failed"},
      {"formats/media/wave_data_past_end.wav", "", "Mute (Wave) Midi* Midi2",
       "open W failed, open M, play"},
      {"formats/media/wave_mpeg_layer_3.wav", "", "Mute (Wave) Midi* Midi2",
       "open W failed, open M, play"},
      {"", "formats/media/midi_track_past_end.mid", "Mute Wave* (Midi) (Midi2)",
       "open W, play, open M failed"},
      {"silent", "formats/media/midi_format_2.mid", "Mute* (Wave) (Midi) (Midi2)",
       "open W, play failed, open M failed"},
  };
  for (const auto& [wave, midi, buttons, expected] : cases) {
    SCOPED_TRACE(std::string(wave) + " and " + midi);
    SoundRig rig;
    for (const auto& [file, ext] : {std::pair{wave, ".WAV"}, {midi, ".MID"}}) {
      if (std::string_view(file) == "silent") rig.player.FailPlayFor(ext);
      else if (std::string_view(file) == "missing") rig.files.Remove(std::string("D/SOUND/QV00") + ext);
      else if (*file) rig.files.Put(std::string("D/SOUND/QV00") + ext, testing::TestFile(file));
    }
    rig.music.MusicLoop = 1;
    rig.Do("probe, tick 10");  // the probe sound is not repeated
    EXPECT_EQ(rig.errors.size(), std::string_view(wave) == "missing" ? 1u : 0u);
    std::string shown, commands;
    for (RadioButton* b : {&rig.MuteBtn, &rig.WaveBtn, &rig.MidiBtn, &rig.MidiBtn2}) {
      std::string name = b->name;
      name.erase(name.find("Btn"), 3);
      if (!b->enabled) name = "(" + name + ")";
      shown += (shown.empty() ? "" : " ") + name + (b->checked ? "*" : "");
    }
    EXPECT_EQ(shown, buttons);
    for (std::string command : rig.player.Commands()) {
      if (const std::size_t at = command.find("D/SOUND/QV00."); at != std::string::npos)
        command.replace(at, 16, command[at + 13] == 'W' ? "W" : "M");
      commands += (commands.empty() ? "" : ", ") + command;
    }
    EXPECT_EQ(commands, expected);
    // The last probe file stays open when the player took it.
    const std::string m = expected;
    EXPECT_EQ(rig.player.OpenedFile(),
              m.find("open M") == m.npos || m.ends_with("open M failed") ? "" : "D/SOUND/QV00.MID");
  }
}

// The headless player's command log keeps the newest commands only: a
// music loop of any length costs the same memory.
TEST(HeadlessPlayer, TheCommandLogIsBounded) {
  platform::MemoryFiles files;
  platform::HeadlessMediaPlayer player{files};
  player.SetFileName("none.wav");
  for (int i = 0; i < 100'000; ++i) player.Play();
  player.Open(nullptr);
  const auto& log = player.Commands();
  EXPECT_GE(log.size(), platform::HeadlessMediaPlayer::kKeptCommands);
  EXPECT_LE(log.size(), 2 * platform::HeadlessMediaPlayer::kKeptCommands);
  EXPECT_EQ(log.back(), "open none.wav failed");
}

}  // namespace
}  // namespace velmor::sound
