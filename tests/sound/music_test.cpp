// Music requests, the source buttons, the loop check and the start-up probe,
// on the headless media player.
#include "sound/music.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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
  EXPECT_THAT(errors, IsEmpty());
  EXPECT_EQ(music.MusicName, std::string_view("M01"));
  EXPECT_EQ(music.MusicLoop, 1);
  EXPECT_EQ(player.FileName(), "D/SOUND/M01.WAV");
  EXPECT_EQ(player.Mode(), MediaMode::Playing);

  Tick(4);
  EXPECT_EQ(player.PositionMs(), 80u);
  Tick();  // the end (100 ms): stopped, and the loop check starts it again
  EXPECT_EQ(player.Mode(), MediaMode::Playing);
  EXPECT_EQ(player.PositionMs(), 0u);
  EXPECT_EQ(Opens(), 1);
}

TEST_F(MusicTest, TheNameIsKeptToSixteenBytesButThePathUsesAllOfIt) {
  Play("ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(music.MusicName, std::string_view("ABCDEFGHIJKLMNOP"));
  EXPECT_EQ(player.FileName(), "D/SOUND/ABCDEFGHIJKLMNOPQRST.WAV");
  ASSERT_EQ(errors.size(), 1u);  // no such file
}

TEST_F(MusicTest, TheSoundAlreadyPlayingIsNotRestarted) {
  Play("M01");
  Tick(2);
  Play("M01");
  EXPECT_EQ(player.PositionMs(), 40u);
  EXPECT_EQ(Opens(), 1);
  EXPECT_THAT(errors, IsEmpty());
}

TEST_F(MusicTest, PlayOnceLetsTheSoundEndAndARepeatedRequestRestartsItAtTheNextTick) {
  Play("M01");
  music.PlayMusicOnce();
  EXPECT_EQ(music.MusicLoop, 0);
  Tick(5);
  EXPECT_EQ(player.Mode(), MediaMode::Stopped);
  Tick(10);
  EXPECT_EQ(player.Mode(), MediaMode::Stopped);  // silent for good

  Play("M01");  // the same path: nothing opens, but repetition is on again
  EXPECT_EQ(music.MusicLoop, 1);
  EXPECT_EQ(player.Mode(), MediaMode::Stopped);
  Tick();
  EXPECT_EQ(player.Mode(), MediaMode::Playing);
  EXPECT_EQ(player.PositionMs(), 0u);
  EXPECT_EQ(Opens(), 1);
}

TEST_F(MusicTest, MuteSilencesAtOnceAndKeepsTheSoundForLater) {
  Play("M01");
  Tick(2);
  MuteBtn.Click();
  EXPECT_THAT(errors, IsEmpty());
  EXPECT_EQ(player.Mode(), MediaMode::Stopped);
  EXPECT_EQ(player.FileName(), "");
  EXPECT_EQ(music.MusicName, std::string_view("M01"));
  EXPECT_EQ(music.MusicLoop, 1);
  Tick(10);
  EXPECT_EQ(player.Mode(), MediaMode::Stopped);  // the loop check leaves it silent

  WaveBtn.Click();
  EXPECT_EQ(player.OpenedFile(), "D/SOUND/M01.WAV");
  EXPECT_EQ(player.Mode(), MediaMode::Playing);
  EXPECT_EQ(player.PositionMs(), 0u);
  EXPECT_EQ(Opens(), 2);
}

TEST_F(MusicTest, ARequestWhileMutedIsRememberedForTheNextSource) {
  Play("M01");
  MuteBtn.Click();
  Play("M02");
  EXPECT_EQ(Opens(), 1);
  EXPECT_EQ(music.MusicName, std::string_view("M02"));
  MidiBtn.Click();
  EXPECT_EQ(player.OpenedFile(), "D/SOUND/M02.MID");
  EXPECT_EQ(player.Mode(), MediaMode::Playing);
}

TEST_F(MusicTest, ChangingTheSourceRestartsTheSoundFromTheNewSourcesFile) {
  Play("M01");
  Tick(3);
  struct Step {
    RadioButton* button;
    const char* file;
  };
  const Step steps[] = {
      {&MidiBtn2, "D/SOUND/SC88/M01.MID"},
      {&MidiBtn, "D/SOUND/M01.MID"},
      {&WaveBtn, "D/SOUND/M01.WAV"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.file);
    s.button->Click();
    EXPECT_EQ(player.OpenedFile(), s.file);
    EXPECT_EQ(player.Mode(), MediaMode::Playing);
    EXPECT_EQ(player.PositionMs(), 0u);
    Tick(2);
  }
  EXPECT_THAT(errors, IsEmpty());
}

TEST_F(MusicTest, ClickingTheChosenSourceOnlyTurnsRepetitionBackOn) {
  Play("M01");
  music.PlayMusicOnce();
  Tick(2);
  for (Control* c : std::initializer_list<Control*>{&WaveBtn, &SoundGroupBox}) {
    SCOPED_TRACE(c->name);
    music.MusicLoop = 0;
    c->Click();
    EXPECT_EQ(music.MusicLoop, 1);
    EXPECT_EQ(player.PositionMs(), 40u);
    EXPECT_EQ(Opens(), 1);
  }
}

TEST_F(MusicTest, StopForgetsTheSoundSoNoSourceBringsItBack) {
  Play("M01");
  Tick(2);
  Stop();
  EXPECT_THAT(errors, IsEmpty());
  EXPECT_EQ(player.Mode(), MediaMode::Stopped);  // the file stays open
  EXPECT_EQ(player.FileName(), "");
  EXPECT_TRUE(music.MusicName.empty());
  EXPECT_EQ(music.MusicLoop, 0);

  MidiBtn.Click();
  MidiBtn2.Click();
  Tick(10);
  EXPECT_EQ(Opens(), 1);
  EXPECT_EQ(player.Mode(), MediaMode::Stopped);
}

TEST_F(MusicTest, AFileThatCannotBeOpenedIsReportedOnceAndNotRetriedForTheSameRequest) {
  Play("M01");
  Play("NONE");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("No such file or directory"), std::string::npos) << errors[0];
  EXPECT_EQ(player.Mode(), MediaMode::NotReady);
  EXPECT_EQ(player.FileName(), "D/SOUND/NONE.WAV");
  EXPECT_EQ(music.MusicName, std::string_view("NONE"));

  Play("NONE");  // the same path as the failed one: nothing happens
  Tick(5);
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(Opens(), 2);
  EXPECT_EQ(player.Mode(), MediaMode::NotReady);

  MidiBtn.Click();  // another source: opens again (and fails again)
  EXPECT_EQ(errors.size(), 2u);
  EXPECT_EQ(player.FileName(), "D/SOUND/NONE.MID");

  Play("M02");  // another sound: opens again
  EXPECT_EQ(errors.size(), 2u);
  EXPECT_EQ(player.OpenedFile(), "D/SOUND/M02.MID");
  EXPECT_EQ(player.Mode(), MediaMode::Playing);
}

TEST_F(MusicTest, StopOrMuteWithNoFileOpenIsTheNoDeviceError) {
  Play("NONE");
  errors.clear();
  MuteBtn.Click();
  EXPECT_THAT(errors, ElementsAre(std::string(platform::kNoDeviceText)));
  EXPECT_EQ(player.FileName(), "");
  EXPECT_EQ(music.MusicName, std::string_view("NONE"));  // kept for the next source
  EXPECT_EQ(music.MusicLoop, 1);

  files.Put("D/SOUND/NONE.WAV", testing::ToneWave(100));  // the file turned up meanwhile
  WaveBtn.Click();
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(player.OpenedFile(), "D/SOUND/NONE.WAV");

  Play("GONE");
  errors.clear();
  Stop();
  EXPECT_THAT(errors, ElementsAre(std::string(platform::kNoDeviceText)));
  // The sound is forgotten all the same.
  EXPECT_TRUE(music.MusicName.empty());
  EXPECT_EQ(music.MusicLoop, 0);
  EXPECT_EQ(player.FileName(), "");
}

TEST_F(MusicTest, PlayErrorsAreOnlyRecorded) {
  player.FailPlayFor(".WAV");
  Play("M01");
  Tick(3);
  EXPECT_THAT(errors, IsEmpty());
  EXPECT_EQ(player.Error(), platform::media_error::kNoOutput);
  EXPECT_EQ(player.Mode(), MediaMode::Stopped);
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

TEST_F(MusicTest, AMissingProbeFileStopsTheProbeWithTheServicesText) {
  files.Remove("D/SOUND/QV00.MID");
  EXPECT_THROW(
      {
        try {
          music.Probe();
        } catch (const GameError& e) {
          EXPECT_NE(e.message().find("QV00.MID"), std::string::npos) << e.message();
          throw;
        }
      },
      GameError);
}

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
