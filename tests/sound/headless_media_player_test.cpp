// The headless media player: the real player's commands on virtual time, on
// sound files read through the file service (the check chosen by the file's
// extension; errors that name the file). Which files the checks take, and
// why they refuse the others, is the format corpus with its verdicts.
#include "platform/headless/headless_media_player.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/headless/memory_files.h"
#include "sound_files.h"

namespace velmor::platform {
namespace {

using ::testing::ElementsAre;

class HeadlessMediaPlayerTest : public ::testing::Test {
 protected:
  HeadlessMediaPlayerTest() {
    files.Put("D/SOUND/A.WAV", testing::ToneWave(100));  // 100 ms
    files.Put("D/SOUND/B.MID", testing::NoteMidi(250));  // 250 ms
    files.Put("D/SOUND/BAD.MID", testing::BogusLengthMidi());
    files.Put("D/SOUND/WAVE.MID", testing::ToneWave(100));
  }

  bool OpenFile(const std::string& path, std::string* error = nullptr) {
    player.SetFileName(path);
    return player.Open(error);
  }

  // The mode, the opened file and the place in it (ms).
  std::string State() const {
    return std::string(player.ModeName()) + " " + player.OpenedFile() + " at " +
           std::to_string(player.PositionMs());
  }

  MemoryFiles files;
  HeadlessMediaPlayer player{files};
};

TEST_F(HeadlessMediaPlayerTest, OpensStoppedAndTakesTheLengthFromTheFile) {
  // IMA ADPCM: two whole blocks of 505 frames and 21 frames of a third
  // (1031 at 22050 a second); MS ADPCM: 1234 frames by its "fact" chunk.
  files.Put("D/SOUND/IMA.WAV", testing::TestFile("formats/media/wave_ima_last_block_cut_in_run.wav"));
  files.Put("D/SOUND/MS.WAV", testing::TestFile("formats/media/wave_ms_fact_counts_fewer.wav"));
  // The check is chosen by the extension, in any letter case.
  const std::pair<const char*, uint32_t> cases[] = {
      {"D\\SOUND\\A.WAV", 100},
      {"D\\SOUND\\B.mid", 250},
      {"D\\SOUND\\IMA.WAV", 47},
      {"D\\SOUND\\MS.WAV", 56},
  };
  EXPECT_EQ(player.Mode(), MediaMode::NotReady);
  EXPECT_EQ(player.ModeName(), "not ready");
  for (const auto& [path, length_ms] : cases) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(OpenFile(path));
    EXPECT_EQ(player.Mode(), MediaMode::Stopped);
    EXPECT_EQ(player.ModeName(), "stopped");
    EXPECT_EQ(player.OpenedFile(), path);
    EXPECT_EQ(player.LengthMs(), length_ms);
  }
}

TEST_F(HeadlessMediaPlayerTest, PlaysToTheEndStopsInPlaceAndRewindsWhenPlayedAgain) {
  ASSERT_TRUE(OpenFile("D\\SOUND\\A.WAV"));
  player.Play();
  for (int tick = 0; tick < 4; ++tick) player.Advance(20);
  EXPECT_EQ(State(), "playing D\\SOUND\\A.WAV at 80");
  player.Advance(20);
  EXPECT_EQ(State(), "stopped D\\SOUND\\A.WAV at 100");
  player.Advance(20);  // time passes; nothing moves
  EXPECT_EQ(State(), "stopped D\\SOUND\\A.WAV at 100");
  player.Play();
  EXPECT_EQ(State(), "playing D\\SOUND\\A.WAV at 0");

  // Stop keeps the file, and Play goes on where it stood.
  ASSERT_TRUE(OpenFile("D\\SOUND\\B.MID"));
  player.Play();
  player.Advance(60);
  std::string error;
  EXPECT_TRUE(player.Stop(&error));
  player.Advance(100);
  EXPECT_EQ(State(), "stopped D\\SOUND\\B.MID at 60");
  player.Play();
  EXPECT_EQ(State(), "playing D\\SOUND\\B.MID at 60");
  player.Advance(190);
  EXPECT_EQ(State(), "stopped D\\SOUND\\B.MID at 250");
  EXPECT_EQ(player.Error(), media_error::kNone);
}

TEST_F(HeadlessMediaPlayerTest, AFailedOpenLeavesNoFileOpenAndStopThenIsTheNoDeviceError) {
  std::string error;
  EXPECT_FALSE(player.Stop(&error));  // nothing opened yet
  EXPECT_EQ(error, kNoDeviceText);
  EXPECT_EQ(player.Error(), media_error::kNoDevice);
  player.Play();
  EXPECT_EQ(player.Error(), media_error::kNoDevice);
  EXPECT_EQ(player.Mode(), MediaMode::NotReady);

  struct Failure {
    const char* path;
    const char* text;
    int code;
  };
  const Failure failures[] = {
      {"D\\SOUND\\NONE.WAV", "No such file or directory", media_error::kCannotOpen},
      {"D\\SOUND\\BAD.MID",
       "D\\SOUND\\BAD.MID: damaged MIDI file: track 1 runs past the end of the file",
       media_error::kRefused},
      {"D\\SOUND\\WAVE.MID", "D\\SOUND\\WAVE.MID: not a MIDI file", media_error::kRefused},
      {"D\\SOUND\\A.OGG", "D\\SOUND\\A.OGG: not a WAVE or MIDI file name", media_error::kRefused},
  };
  for (const auto& [path, text, code] : failures) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(OpenFile("D\\SOUND\\A.WAV"));
    player.Play();
    EXPECT_FALSE(OpenFile(path, &error));
    EXPECT_NE(error.find(text), std::string::npos) << error;
    EXPECT_EQ(player.Error(), code);
    EXPECT_EQ(player.Mode(), MediaMode::NotReady);
    EXPECT_EQ(player.OpenedFile(), "");
    EXPECT_EQ(player.FileName(), path);  // the file name keeps the failed path
    EXPECT_FALSE(player.Stop(&error));
    EXPECT_EQ(error, kNoDeviceText);
  }
}

TEST_F(HeadlessMediaPlayerTest, RecordsEveryCommandAndCanBeToldAKindOfFileCannotSound) {
  player.FailPlayFor(".mid");
  OpenFile("D\\SOUND\\A.WAV");
  player.Play();
  EXPECT_EQ(player.Mode(), MediaMode::Playing);
  player.Stop(nullptr);
  OpenFile("D\\SOUND\\NONE.WAV");
  player.Stop(nullptr);
  OpenFile("D\\SOUND\\B.MID");
  player.Play();
  EXPECT_EQ(player.Error(), media_error::kNoOutput);
  EXPECT_EQ(player.Mode(), MediaMode::Stopped);
  EXPECT_THAT(player.Commands(),
              ElementsAre("open D\\SOUND\\A.WAV", "play", "stop", "open D\\SOUND\\NONE.WAV failed",
                          "stop failed", "open D\\SOUND\\B.MID", "play failed"));
}

}  // namespace
}  // namespace velmor::platform
