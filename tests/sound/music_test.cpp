// Music requests, the source buttons, the loop check and the start-up probe,
// on the headless media player.
#include "sound/music.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "core/errors.h"
#include "platform/headless/headless_media_player.h"
#include "platform/headless/memory_files.h"
#include "sound_files.h"
#include "support/bytecode.h"
#include "support/game_data.h"

namespace velmor::sound {
namespace {

using platform::MediaMode;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The sound subsystem as the game wires it: the four source buttons in one
// group (WAVE checked at first), each and the group box running MidiBtnClick.
class MusicTest : public ::testing::Test {
 protected:
  MusicTest() {
    for (RadioButton* b : {&MuteBtn, &WaveBtn, &MidiBtn, &MidiBtn2}) {
      b->group = {&WaveBtn, &MidiBtn, &MidiBtn2, &MuteBtn};
      b->OnClick = [this] { Run([this] { music.MidiBtnClick(); }); };
    }
    SoundGroupBox.OnClick = [this] { Run([this] { music.MidiBtnClick(); }); };
    WaveBtn.checked = true;

    files.Put("D/SOUND/QV00.WAV", testing::ToneWave(60));
    files.Put("D/SOUND/QV00.MID", testing::NoteMidi(60));
    files.Put("D/SOUND/M01.WAV", testing::ToneWave(100));
    files.Put("D/SOUND/M01.MID", testing::NoteMidi(200));
    files.Put("D/SOUND/SC88/M01.MID", testing::NoteMidi(300));
    files.Put("D/SOUND/M02.WAV", testing::ToneWave(100));
    files.Put("D/SOUND/M02.MID", testing::NoteMidi(200));
  }

  // Runs an event as the game does: an error ends it and is shown.
  void Run(const std::function<void()>& event) {
    try {
      event();
    } catch (const GameError& e) {
      errors.push_back(e.message());
    }
  }
  void Play(std::string_view name) {
    Run([&] { music.PlayMusic(ByteString(name)); });
  }
  void Stop() {
    Run([&] { music.StopMusic(); });
  }
  // The sound's share of one tick: 20 ms pass, then the loop check.
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) {
      player.Advance(20);
      music.LoopCheck();
    }
  }
  long Opens() const {
    return std::count_if(player.Commands().begin(), player.Commands().end(),
                         [](const std::string& c) { return c.rfind("open ", 0) == 0; });
  }
  // The player's mode, file name and place; the requested sound and whether
  // it repeats; how often a file was opened; how many errors were shown.
  std::string State() const {
    std::ostringstream o;
    o << player.ModeName() << " " << player.FileName() << " at " << player.PositionMs() << "; "
      << music.MusicName.view() << " loop " << int{music.MusicLoop} << "; " << Opens()
      << " opens, " << errors.size() << " errors";
    return o.str();
  }

  platform::MemoryFiles files;
  platform::HeadlessMediaPlayer player{files};
  RadioButton MuteBtn{"MuteBtn"};
  RadioButton WaveBtn{"WaveBtn"};
  RadioButton MidiBtn{"MidiBtn"};
  RadioButton MidiBtn2{"MidiBtn2"};
  GroupBox SoundGroupBox{"SoundGroupBox"};
  std::string DatPath{"D/"};
  Music music{player, SourceButtons{MuteBtn, WaveBtn, MidiBtn, MidiBtn2}, DatPath};
  std::vector<std::string> errors;
};

TEST_F(MusicTest, PlayMusicOpensTheNamedSoundInTheChosenSourceAndRepeatsIt) {
  Play("M01");
  EXPECT_EQ(State(), "playing D/SOUND/M01.WAV at 0; M01 loop 1; 1 opens, 0 errors");
  Tick(2);
  Play("M01");  // the sound already playing is not restarted
  Tick(2);
  EXPECT_EQ(State(), "playing D/SOUND/M01.WAV at 80; M01 loop 1; 1 opens, 0 errors");
  Tick();  // the end (100 ms): stopped, and the loop check starts it again
  EXPECT_EQ(State(), "playing D/SOUND/M01.WAV at 0; M01 loop 1; 1 opens, 0 errors");
  // The name is kept to sixteen bytes, but the path uses all of it.
  Play("ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(State(), "not ready D/SOUND/ABCDEFGHIJKLMNOPQRST.WAV at 0; ABCDEFGHIJKLMNOP loop 1; "
                     "2 opens, 1 errors");
}

TEST_F(MusicTest, PlayOnceLetsTheSoundEndAndARepeatedRequestRestartsItAtTheNextTick) {
  Play("M01");
  music.PlayMusicOnce();
  Tick(15);
  EXPECT_EQ(State(), "stopped D/SOUND/M01.WAV at 100; M01 loop 0; 1 opens, 0 errors");
  Play("M01");  // the same path: nothing opens, but repetition is on again
  EXPECT_EQ(State(), "stopped D/SOUND/M01.WAV at 100; M01 loop 1; 1 opens, 0 errors");
  Tick();
  EXPECT_EQ(State(), "playing D/SOUND/M01.WAV at 0; M01 loop 1; 1 opens, 0 errors");
}

TEST_F(MusicTest, MuteSilencesAtOnceAndKeepsTheSoundForLater) {
  Play("M01");
  Tick(2);
  MuteBtn.Click();
  Tick(10);  // the loop check leaves it silent
  EXPECT_EQ(State(), "stopped  at 40; M01 loop 1; 1 opens, 0 errors");
  WaveBtn.Click();
  EXPECT_EQ(State(), "playing D/SOUND/M01.WAV at 0; M01 loop 1; 2 opens, 0 errors");

  MuteBtn.Click();
  Play("M02");  // remembered for the next source
  EXPECT_EQ(State(), "stopped  at 0; M02 loop 1; 2 opens, 0 errors");
  MidiBtn.Click();
  EXPECT_EQ(State(), "playing D/SOUND/M02.MID at 0; M02 loop 1; 3 opens, 0 errors");
}

TEST_F(MusicTest, ChangingTheSourceRestartsTheSoundFromTheNewSourcesFileAndTheChosenOneRepeatsIt) {
  Play("M01");
  Tick(3);
  for (const auto& [button, state] :
       {std::pair{&MidiBtn2, "playing D/SOUND/SC88/M01.MID at 0; M01 loop 1; 2 opens, 0 errors"},
        std::pair{&MidiBtn, "playing D/SOUND/M01.MID at 0; M01 loop 1; 3 opens, 0 errors"},
        std::pair{&WaveBtn, "playing D/SOUND/M01.WAV at 0; M01 loop 1; 4 opens, 0 errors"}}) {
    button->Click();
    EXPECT_EQ(State(), state);
    Tick(2);
  }
  // Clicking the source already chosen, or the group, only turns repetition
  // back on.
  for (Control* c : std::initializer_list<Control*>{&WaveBtn, &SoundGroupBox}) {
    music.MusicLoop = 0;
    c->Click();
    EXPECT_EQ(State(), "playing D/SOUND/M01.WAV at 40; M01 loop 1; 4 opens, 0 errors") << c->name;
  }
}

TEST_F(MusicTest, StopForgetsTheSoundSoNoSourceBringsItBack) {
  Play("M01");
  Tick(2);
  Stop();  // the file stays open
  EXPECT_EQ(State(), "stopped  at 40;  loop 0; 1 opens, 0 errors");
  MidiBtn.Click();
  MidiBtn2.Click();
  Tick(10);
  EXPECT_EQ(State(), "stopped  at 40;  loop 0; 1 opens, 0 errors");
}

TEST_F(MusicTest, AFileThatCannotBeOpenedIsReportedOnceAndNotRetriedForTheSameRequest) {
  Play("M01");
  Play("NONE");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("No such file or directory"), std::string::npos) << errors[0];
  Play("NONE");  // the same path as the failed one: nothing happens
  Tick(5);
  EXPECT_EQ(State(), "not ready D/SOUND/NONE.WAV at 0; NONE loop 1; 2 opens, 1 errors");
  MidiBtn.Click();  // another source: opens again (and fails again)
  EXPECT_EQ(State(), "not ready D/SOUND/NONE.MID at 0; NONE loop 1; 3 opens, 2 errors");
  Play("M02");  // another sound: opens again
  EXPECT_EQ(State(), "playing D/SOUND/M02.MID at 0; M02 loop 1; 4 opens, 2 errors");
}

TEST_F(MusicTest, StopOrMuteWithNoFileOpenIsTheNoDeviceError) {
  Play("NONE");
  errors.clear();
  MuteBtn.Click();
  EXPECT_THAT(errors, ElementsAre(std::string(platform::kNoDeviceText)));
  EXPECT_EQ(State(), "not ready  at 0; NONE loop 1; 1 opens, 1 errors");  // kept for the next source
  files.Put("D/SOUND/NONE.WAV", testing::ToneWave(100));  // the file turned up meanwhile
  WaveBtn.Click();
  EXPECT_EQ(State(), "playing D/SOUND/NONE.WAV at 0; NONE loop 1; 2 opens, 1 errors");

  Play("GONE");
  errors.clear();
  Stop();  // the sound is forgotten all the same
  EXPECT_THAT(errors, ElementsAre(std::string(platform::kNoDeviceText)));
  EXPECT_EQ(State(), "not ready  at 0;  loop 0; 3 opens, 1 errors");
}

TEST_F(MusicTest, TheLoopCheckPlaysOnlyARepeatingStoppedAudibleSound) {
  struct Case {
    const char* name;
    std::function<void()> setup;
    bool plays;
  };
  const Case cases[] = {
      {"repeating, ended", [] {}, true},
      {"played once", [this] { music.MusicLoop = 0; }, false},
      {"muted", [this] { MuteBtn.checked = true, WaveBtn.checked = false; }, false},
      {"no file name", [this] { player.SetFileName(""); }, false},
      {"still playing", [this] { player.Play(); }, false},
      {"no file open", [this] { Play("NONE"), music.MusicLoop = 1; }, false},
  };
  files.Put("D/SOUND/S20.WAV", testing::ToneWave(20));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Play("S20");
    player.Advance(20);  // its end
    ASSERT_EQ(player.Mode(), MediaMode::Stopped);
    c.setup();
    player.ClearCommands();
    music.LoopCheck();
    bool played = std::find(player.Commands().begin(), player.Commands().end(), "play") !=
                  player.Commands().end();
    EXPECT_EQ(played, c.plays);
    // Back to a known state for the next case.
    MuteBtn.checked = false;
    WaveBtn.checked = true;
    Stop();
    errors.clear();
  }
}

// What a probe file does: plays; opens but cannot sound; or the player
// refuses it, damaged or in an encoding it cannot sound.
enum class ProbeFile { Plays, CannotSound, Damaged, Unplayable, Adpcm };

struct ProbeCase {
  const char* name;
  ProbeFile wave;
  ProbeFile midi;
  bool wave_enabled;
  bool midi_enabled;
  const char* checked;
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class ProbeTest : public MusicTest, public ::testing::WithParamInterface<ProbeCase> {
 protected:
  // Puts the probe file as the case has it; the commands it will leave.
  std::vector<std::string> PutProbeFile(const std::string& path, ProbeFile kind) {
    const bool wave = path.ends_with(".WAV");
    const char* file = nullptr;  // of the format corpus
    switch (kind) {
      case ProbeFile::Plays:
      case ProbeFile::CannotSound:
        return {"open " + path, kind == ProbeFile::Plays ? "play" : "play failed"};
      case ProbeFile::Adpcm:
        files.Put(path, testing::TestFile("formats/media/wave_ima_mono.wav"));
        return {"open " + path, "play"};
      case ProbeFile::Damaged:
        file = wave ? "wave_data_past_end.wav" : "midi_track_past_end.mid";
        break;
      case ProbeFile::Unplayable:
        file = wave ? "wave_mpeg_layer_3.wav" : "midi_format_2.mid";
        break;
    }
    files.Put(path, testing::TestFile(std::string("formats/media/") + file));
    return {"open " + path + " failed"};
  }
};

TEST_P(ProbeTest, DisablesTheSourcesThatCannotSound) {
  const ProbeCase& c = GetParam();
  std::vector<std::string> expected = PutProbeFile("D/SOUND/QV00.WAV", c.wave);
  for (std::string& command : PutProbeFile("D/SOUND/QV00.MID", c.midi))
    expected.push_back(std::move(command));
  if (c.wave == ProbeFile::CannotSound) player.FailPlayFor(".WAV");
  if (c.midi == ProbeFile::CannotSound) player.FailPlayFor(".MID");
  music.MusicLoop = 1;
  Run([&] { music.Probe(); });

  EXPECT_THAT(errors, IsEmpty());
  EXPECT_EQ(WaveBtn.enabled, c.wave_enabled);
  EXPECT_EQ(MidiBtn.enabled, c.midi_enabled);
  EXPECT_EQ(MidiBtn2.enabled, c.midi_enabled);
  EXPECT_TRUE(MuteBtn.enabled);
  for (RadioButton* b : {&MuteBtn, &WaveBtn, &MidiBtn, &MidiBtn2})
    EXPECT_EQ(b->checked, b->name == c.checked) << b->name;
  EXPECT_EQ(music.MusicLoop, 0);
  // Both probe files were opened and those the player took played; the last
  // stays open when it was taken. Checking a button opened nothing more (no
  // sound was requested yet).
  EXPECT_EQ(player.Commands(), expected);
  bool midi_taken = c.midi == ProbeFile::Plays || c.midi == ProbeFile::CannotSound;
  EXPECT_EQ(player.OpenedFile(), midi_taken ? "D/SOUND/QV00.MID" : "");

  Tick(10);  // the probe sound is not repeated
  EXPECT_EQ(player.Commands().size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ProbeTest,
    ::testing::Values(
        ProbeCase{"both_play", ProbeFile::Plays, ProbeFile::Plays, true, true, "WaveBtn"},
        ProbeCase{"wave_fails", ProbeFile::CannotSound, ProbeFile::Plays, false, true, "MidiBtn"},
        ProbeCase{"midi_fails", ProbeFile::Plays, ProbeFile::CannotSound, true, false, "WaveBtn"},
        ProbeCase{"both_fail", ProbeFile::CannotSound, ProbeFile::CannotSound, false, false,
                  "MuteBtn"},
        ProbeCase{"wave_adpcm_plays", ProbeFile::Adpcm, ProbeFile::Plays, true, true, "WaveBtn"},
        ProbeCase{"wave_damaged", ProbeFile::Damaged, ProbeFile::Plays, false, true, "MidiBtn"},
        ProbeCase{"wave_unplayable", ProbeFile::Unplayable, ProbeFile::Plays, false, true,
                  "MidiBtn"},
        ProbeCase{"midi_damaged", ProbeFile::Plays, ProbeFile::Damaged, true, false, "WaveBtn"},
        ProbeCase{"wave_silent_midi_unplayable", ProbeFile::CannotSound, ProbeFile::Unplayable,
                  false, false, "MuteBtn"}),
    [](const ::testing::TestParamInfo<ProbeCase>& info) { return std::string(info.param.name); });

TEST_F(MusicTest, TheFirstRequestReplacesTheProbeSound) {
  Run([&] { music.Probe(); });
  Play("M01");
  EXPECT_EQ(player.OpenedFile(), "D/SOUND/M01.WAV");
  EXPECT_EQ(player.Mode(), MediaMode::Playing);
}

// The probe at the start of a whole game: a QV00.WAV the player reads but
// refuses only takes WAVE away; one it cannot read ends the game.
TEST(StartUpProbe, AWaveProbeFileThePlayerRefusesDisablesWaveAndTheGameStarts) {
  using testing::kDat;
  const std::string probe = std::string(kDat) + "SOUND/QV00.WAV";
  struct Case {
    const char* name;
    const char* file;  // of the test data; none: as the game has it; "": removed
    bool starts;
    bool wave_enabled;
  };
  const Case cases[] = {
      {"PCM", nullptr, true, true},
      {"MS ADPCM with a last block written short", "sound/ms_stereo_last_block_short.wav", true,
       true},
      {"damaged", "formats/media/wave_data_past_end.wav", true, false},
      {"MPEG layer 3", "formats/media/wave_mpeg_layer_3.wav", true, false},
      {"missing", "", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::GameRig g(testing::Code().b(255).bytes);
    if (c.file && *c.file) g.files.Put(probe, testing::TestFile(c.file));
    if (c.file && !*c.file) g.files.Remove(probe);
    g.Start();
    const auto& boxes = g.game->dialogs().Boxes();
    if (!c.starts) {
      EXPECT_TRUE(g.game->ended());
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_NE(boxes[0].text.find("QV00.WAV"), std::string::npos) << boxes[0].text;
      continue;
    }
    EXPECT_FALSE(g.game->ended());
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    const menus::Panels& panels = g.form().panels;
    EXPECT_EQ(panels.WaveBtn.enabled, c.wave_enabled);
    EXPECT_EQ(panels.WaveBtn.checked, c.wave_enabled);
    EXPECT_EQ(panels.MidiBtn.checked, !c.wave_enabled);
    EXPECT_TRUE(panels.MidiBtn.enabled);
  }
}

}  // namespace
}  // namespace velmor::sound
