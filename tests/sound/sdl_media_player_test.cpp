// The real player, on SDL's dummy audio driver (no sound hardware needed; it
// consumes sound in real time). Every wait is bounded so that a player that
// never stops fails instead of hanging.
#include "platform/sdl/sdl_media_player.h"

#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <thread>

#include "support/process.h"
#include "platform/headless/memory_files.h"
#include "formats/wave.h"
#include "sound/media_file.h"
#include "platform/sdl/synth_log.h"
#include "platform/sdl/wave_pcm.h"
#include "sound_files.h"

namespace velmor::platform::sdl {
namespace {

using namespace std::chrono_literals;
using testing::WaitUntil;

class SdlMediaPlayerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ::setenv("SDL_AUDIODRIVER", "dummy", 0); }

  SdlMediaPlayerTest() {
    files.Put("D/SOUND/SHORT.WAV", testing::ToneWave(200));
    files.Put("D/SOUND/LONG.WAV", testing::ToneWave(5000));
    files.Put("D/SOUND/SHORT.MID", testing::NoteMidi(200));
    files.Put("D/SOUND/OTHER.MID", testing::NoteMidi(300));
    files.Put("D/SOUND/BAD.MID", testing::BogusLengthMidi());
  }

  bool OpenFile(const std::string& path, std::string* error = nullptr) {
    player->SetFileName(path);
    return player->Open(error);
  }
  bool Stopped() { return player->Mode() == MediaMode::Stopped; }
  bool Playing() { return player->Mode() == MediaMode::Playing; }
  bool OutputIdle() { return !player->Output().Producing(); }

  MemoryFiles files;
  std::unique_ptr<SdlMediaPlayer> player = std::make_unique<SdlMediaPlayer>(files);
};

// ADPCM files of the layouts data of that era used (tests/data/sound), some
// with a last block written short or a "fact" chunk, each beside what a
// decoder makes of it (.pcm: 16-bit samples, interleaved).
const char* const kAdpcmFiles[] = {"ima_mono", "ima_stereo_last_block_short", "ms_mono_fact",
                                   "ms_stereo_last_block_short"};

TEST_F(SdlMediaPlayerTest, PlaysAWaveOnceToItsLengthAndAgainFromTheStart) {
  ASSERT_TRUE(player->HasOutput()) << "no audio output with SDL's dummy driver";
  EXPECT_EQ(player->Mode(), MediaMode::NotReady);
  files.Put("D/SOUND/FAST.WAV", testing::ToneWave(300, 48000));
  // The first file (ADPCM: the start-up probe's case) is decoded at once;
  // the others, at other rates and in other encodings, on the loader
  // thread. SHORT.WAV is played twice.
  std::vector<std::string> paths = {"D\\SOUND\\ADPCM0.WAV", "D\\SOUND\\SHORT.WAV",
                                    "D\\SOUND\\SHORT.WAV", "D\\SOUND\\FAST.WAV"};
  for (int i = 0; i < 4; ++i) {
    files.Put("D/SOUND/ADPCM" + std::to_string(i) + ".WAV",
              testing::TestFile(std::string("sound/") + kAdpcmFiles[i] + ".wav"));
    if (i) paths.push_back("D\\SOUND\\ADPCM" + std::to_string(i) + ".WAV");
  }
  const AudioOutput& output = player->Output();
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    std::string error;
    if (player->OpenedFile() != path) {
      ASSERT_TRUE(OpenFile(path, &error)) << error;
      EXPECT_EQ(player->Mode(), MediaMode::Stopped);
      EXPECT_EQ(player->OpenedFile(), path);
    }
    auto wave = formats::CheckWave(*files.Get(path));
    ASSERT_TRUE(wave);
    const auto start = std::chrono::steady_clock::now();
    player->Play();
    EXPECT_EQ(player->Error(), media_error::kNone);
    EXPECT_EQ(player->Mode(), MediaMode::Playing);
    ASSERT_TRUE(WaitUntil([&] { return Stopped(); }));
    // Counted in the buffers the output has filled, which run ahead of the
    // sound by a buffer or two (46 ms each).
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(wave->frames * 1000 / wave->sample_rate) - 2 * 47ms);
    // Played once: the output falls idle too (a looping piece would keep it
    // busy for ever), all of it sounded at the output's rate.
    EXPECT_TRUE(WaitUntil([&] { return OutputIdle(); }));
    EXPECT_EQ(output.WaveFrame(), wave->frames * output.Format().rate / wave->sample_rate);
    EXPECT_GE(output.FramesPlayed(), output.WaveFrame());
  }
  EXPECT_EQ(player->Log().Received(), 0u);
}

TEST_F(SdlMediaPlayerTest, PlaysMidiPiecesToTheirEndAndAgainAsTheLoopCheckAsks) {
  ASSERT_TRUE(player->HasOutput());
  // The first piece loads at once, the others on the loader thread; each
  // stays Stopped until played (loaded or not), reports Playing from Play
  // on (loaded or not) and Stopped at its end.
  for (const auto& [path, wait] : {std::pair{"D\\SOUND\\SHORT.MID", false},
                                   {"D\\SOUND\\OTHER.MID", false},
                                   {"D\\SOUND\\SHORT.MID", true}}) {
    SCOPED_TRACE(path);
    std::string error;
    ASSERT_TRUE(OpenFile(path, &error)) << error;
    EXPECT_EQ(player->Mode(), MediaMode::Stopped);
    if (wait) player->WaitForLoad();
    EXPECT_EQ(player->Mode(), MediaMode::Stopped);
    player->Play();
    EXPECT_EQ(player->Error(), media_error::kNone);
    EXPECT_EQ(player->Mode(), MediaMode::Playing);
    EXPECT_TRUE(WaitUntil([&] { return Stopped(); }));
    EXPECT_EQ(player->OpenedFile(), path);
  }
  // The synthesiser lets the last note ring for seconds; the piece counts
  // as ended at its last event, and Play then starts it from the beginning
  // while the tail still sounds.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    player->Play();
    EXPECT_EQ(player->Mode(), MediaMode::Playing);
    EXPECT_TRUE(WaitUntil([&] { return Stopped(); }));
  }
  std::string error;
  EXPECT_TRUE(player->Stop(&error));  // silences the tail
  EXPECT_EQ(player->Mode(), MediaMode::Stopped);
  player->Play();
  EXPECT_EQ(player->Mode(), MediaMode::Playing);
  EXPECT_EQ(player->Log().Received(), 0u);
}

TEST_F(SdlMediaPlayerTest, ANewFileReplacesOneStillLoading) {
  // The first file of each kind loads at once; then MIDI pieces and ADPCM
  // WAVE pieces load on the loader thread.
  ASSERT_TRUE(OpenFile("D\\SOUND\\SHORT.MID"));
  ASSERT_TRUE(OpenFile("D\\SOUND\\SHORT.WAV"));
  files.Put("D/SOUND/ADPCM.WAV",  // five seconds of stereo, 1,017 frames a block
            testing::ResizeWaveData(testing::TestFile("sound/ima_stereo_last_block_short.wav"),
                                    5 * 22050 / 1017 * 1024));
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(OpenFile("D\\SOUND\\OTHER.MID"));
    player->Play();
    ASSERT_TRUE(OpenFile("D\\SOUND\\ADPCM.WAV"));
    player->Play();
  }
  ASSERT_TRUE(OpenFile("D\\SOUND\\SHORT.WAV"));
  player->Play();
  player->WaitForLoad();
  EXPECT_EQ(player->OpenedFile(), "D\\SOUND\\SHORT.WAV");
  EXPECT_TRUE(WaitUntil([&] { return Stopped(); }));
}

TEST_F(SdlMediaPlayerTest, DamagedAndMissingFilesFailToOpenWithTheirFault) {
  ASSERT_TRUE(OpenFile("D\\SOUND\\SHORT.WAV"));
  struct Case {
    const char* path;
    const char* text;
    int code;
  };
  const Case cases[] = {
      {"D\\SOUND\\BAD.MID", "D\\SOUND\\BAD.MID: damaged MIDI file: track 1 runs past the end",
       media_error::kRefused},
      {"D\\SOUND\\NONE.WAV", "No such file or directory", media_error::kCannotOpen},
  };
  for (const auto& [path, text, code] : cases) {
    SCOPED_TRACE(path);
    std::string error;
    EXPECT_FALSE(OpenFile(path, &error));
    EXPECT_NE(error.find(text), std::string::npos) << error;
    EXPECT_EQ(player->Error(), code);
    EXPECT_EQ(player->Mode(), MediaMode::NotReady);
    EXPECT_EQ(player->OpenedFile(), "");
    EXPECT_FALSE(player->Stop(&error));
    EXPECT_EQ(error, kNoDeviceText);
    EXPECT_EQ(player->Error(), media_error::kNoDevice);
  }
}

TEST_F(SdlMediaPlayerTest, StopHoldsThePlaceAndPlayGoesOnFromTheSameFrame) {
  ASSERT_TRUE(OpenFile("D\\SOUND\\LONG.WAV"));
  player->Play();
  const AudioOutput& output = player->Output();
  ASSERT_TRUE(WaitUntil([&] { return output.WaveFrame() > 0; }));
  std::string error;
  ASSERT_TRUE(player->Stop(&error));
  const uint64_t at = output.WaveFrame();
  const uint64_t counted = output.FramesPlayed();
  EXPECT_EQ(counted, at);  // every buffer of the piece counted, nothing else
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(output.WaveFrame(), at);
  EXPECT_EQ(output.FramesPlayed(), counted);
  EXPECT_FALSE(output.Producing());
  EXPECT_EQ(player->Mode(), MediaMode::Stopped);
  EXPECT_EQ(player->OpenedFile(), "D\\SOUND\\LONG.WAV");

  player->Play();
  EXPECT_EQ(player->Mode(), MediaMode::Playing);
  ASSERT_TRUE(WaitUntil([&] { return output.WaveFrame() > at; }));
  {
    AudioOutput::Lock hold(output);
    EXPECT_EQ(output.FramesPlayed(), output.WaveFrame());
  }
  const uint64_t played_ms = counted * 1000 / static_cast<uint64_t>(output.Format().rate);
  EXPECT_LT(player->MsUntilStopped(), 5000 - played_ms);
}

TEST(SdlMediaPlayerTeardown, GoingAwayWhileThePiecePlaysOrLoadsIsSafe) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  MemoryFiles files;
  files.Put("D/SOUND/LONG.WAV", testing::ToneWave(5000));
  files.Put("D/SOUND/NEXT.WAV", testing::ToneWave(20000, 11025));
  files.Put("D/SOUND/SHORT.MID", testing::NoteMidi(2000));
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    SdlMediaPlayer player(files);
    ASSERT_TRUE(player.HasOutput());
    player.SetFileName("D\\SOUND\\LONG.WAV");
    ASSERT_TRUE(player.Open(nullptr));
    player.Play();
    std::this_thread::sleep_for(std::chrono::milliseconds(15 * round));
    // The next piece loads behind; the player may go while it does.
    player.SetFileName(round % 2 ? "D\\SOUND\\SHORT.MID" : "D\\SOUND\\NEXT.WAV");
    ASSERT_TRUE(player.Open(nullptr));
    player.Play();
    if (round >= 3) {
      player.WaitForLoad();
      std::this_thread::sleep_for(60ms);
      EXPECT_TRUE(player.Output().Producing());
    }
  }
}

TEST(DecodeWaveToPcm, GivesTheAdpcmSamplesUpToTheCheckedLength) {
  for (const char* name : kAdpcmFiles) {
    SCOPED_TRACE(name);
    const std::string path = std::string("sound/") + name;
    auto checked = formats::CheckWave(testing::TestFile(path + ".wav"));
    ASSERT_TRUE(checked) << checked.fault().what;
    std::string why;
    // An output of the file's own rate and channels: the decoder's samples
    // as they are.
    const OutputFormat format{static_cast<int>(checked->sample_rate), checked->channels};
    auto pcm = DecodeWaveToPcm(checked->clean, checked->frames, format, &why);
    ASSERT_TRUE(pcm) << why;
    EXPECT_TRUE(*pcm == testing::TestFile(path + ".pcm"));
  }
}

TEST_F(SdlMediaPlayerTest, TheSoundFontComesFromTheOptionTheEnvironmentOrTheDefaultAndMustBeReadable) {
  const char* saved = std::getenv("SDL_SOUNDFONTS");
  std::string saved_value = saved ? saved : "";
  ::unsetenv("SDL_SOUNDFONTS");
  EXPECT_EQ(player->SoundFont(), kDefaultSoundFont);
  ::setenv("SDL_SOUNDFONTS", "/fonts/a.sf2", 1);
  EXPECT_EQ(player->SoundFont(), "/fonts/a.sf2");
  player->SetSoundFont("/fonts/b.sf2");
  EXPECT_EQ(player->SoundFont(), "/fonts/b.sf2");
  if (saved)
    ::setenv("SDL_SOUNDFONTS", saved_value.c_str(), 1);
  else
    ::unsetenv("SDL_SOUNDFONTS");

  // Without a readable one MIDI cannot sound.
  player->SetSoundFont("/no/such/font.sf2");
  ASSERT_TRUE(OpenFile("D\\SOUND\\SHORT.MID"));
  player->Play();
  EXPECT_EQ(player->Error(), media_error::kNoOutput);
  EXPECT_EQ(player->Mode(), MediaMode::Stopped);
  EXPECT_EQ(player->Log().Received(), 1u);  // says which file it could not read

  // Files that cannot be read are left out of a list.
  player->SetSoundFont(std::string("/no/such/font.sf2;") + kDefaultSoundFont);
  ASSERT_TRUE(OpenFile("D\\SOUND\\SHORT.MID"));
  player->Play();
  EXPECT_EQ(player->Error(), media_error::kNone);
  EXPECT_EQ(player->Mode(), MediaMode::Playing);
}

// --- In a child process: what the terminal sees ---

constexpr std::size_t kOutputLimit = 64 * 1024;

// A damaged MIDI file through the player, then straight to the synthesiser.
int PlayDamagedMidi() {
  std::string soundfont;
  std::string error;
  {
    MemoryFiles files;
    files.Put("D/SOUND/BAD.MID", testing::BogusLengthMidi());
    SdlMediaPlayer player(files);
    player.SetFileName("D\\SOUND\\BAD.MID");
    if (player.Open(&error)) return 10;  // must be refused
    player.Play();
    player.Stop(&error);
    soundfont = player.SoundFont();
  }

  // The same bytes handed to the synthesiser unchecked and played for up to
  // three seconds: it complains through the bounded log and never holds the
  // audio thread for long.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 11;
  sound::SoundLog log;
  {
    MidiSynth synth(log);
    AudioOutput output;
    if (!output.Open(&error)) return 12;
    synth.Preload(soundfont, output.Format().rate, output.Format().channels, output.Device());
    std::vector<uint8_t> bytes = testing::BogusLengthMidi();
    if (synth.Ready(soundfont, &error) && synth.Load(bytes, &error)) {
      {
        AudioOutput::Lock hold(output);
        synth.Start();
        output.PlaySynth(synth);
      }
      SDL_Delay(3000);
      output.Halt();
    }
    output.Close();
    synth.ForgetDevice();
    synth.Shutdown();
  }
  SilenceSynthLog();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return 0;
}

// The synthesiser's own log call, as its audio thread makes it when its
// event queue overflows, from the instance the player loaded.
int FloodSynthLog() {
  MemoryFiles files;
  files.Put("D/SOUND/A.MID", testing::NoteMidi(100));
  SdlMediaPlayer player(files);
  // The library comes with the SoundFont.
  player.SetFileName("D\\SOUND\\A.MID");
  if (!player.Open(nullptr)) return 13;
  player.WaitForLoad();
  using LogFn = int (*)(int, const char*, ...);
  void* library = ::dlopen("libfluidsynth.so.3", RTLD_LAZY | RTLD_NOLOAD);
  if (!library) library = ::dlopen("libfluidsynth.so.2", RTLD_LAZY | RTLD_NOLOAD);
  if (!library) return 11;
  auto log = reinterpret_cast<LogFn>(::dlsym(library, "fluid_log"));
  if (!log) return 14;
  for (int i = 0; i < 100000; ++i) log(2, "Ringbuffer full, try increasing synth.polyphony!");
  ::dlclose(library);
  return player.Log().Received() == 100000 ? 0 : 12;
}

int ProbeWithoutOutput() {
  MemoryFiles files;
  files.Put("D/SOUND/QV00.WAV", testing::ToneWave(100));
  files.Put("D/SOUND/QV00.MID", testing::NoteMidi(100));
  SdlMediaPlayer player(files);
  if (player.HasOutput()) return 20;
  for (const char* path : {"D\\SOUND\\QV00.WAV", "D\\SOUND\\QV00.MID"}) {
    player.SetFileName(path);
    std::string error;
    if (!player.Open(&error)) return 21;
    player.Play();
    if (player.Error() != media_error::kNoOutput) return 22;
    if (player.Mode() != MediaMode::Stopped) return 23;
  }
  return 0;
}

const testing::ChildBodyRegistration kChildren[] = {
    {"PlayDamagedMidi", &PlayDamagedMidi},
    {"FloodSynthLog", &FloodSynthLog},
    {"ProbeWithoutOutput", &ProbeWithoutOutput},
};

// Each child within its time and a few lines of output: a damaged MIDI
// file neither hangs nor floods the terminal, the synthesiser's messages are
// bounded, and without an audio device files open but cannot sound.
TEST(SdlMediaPlayerContainment, ChildrenEndInTimeWithoutFloodingTheTerminal) {
  struct Case {
    const char* child;
    const char* driver;
    std::vector<const char*> says;
  };
  const Case cases[] = {
      {"PlayDamagedMidi", "dummy", {}},
      {"FloodSynthLog", "dummy",
       {"fluidsynth: warning: Ringbuffer full", "further sound library messages are dropped"}},
      {"ProbeWithoutOutput", "no-such-driver", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.child);
    auto result = testing::RunChild(c.child, 20s, kOutputLimit,
                                    {std::string("SDL_AUDIODRIVER=") + c.driver});
    EXPECT_FALSE(result.timed_out);
    EXPECT_FALSE(result.flooded);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_LT(result.output.size(), 4096u) << result.output;
    for (const char* text : c.says) EXPECT_NE(result.output.find(text), std::string::npos) << result.output;
  }
}

}  // namespace
}  // namespace velmor::platform::sdl
