// The sound output on its own: on SDL's dummy audio driver (which consumes
// sound in real time) for what it reports, and on SDL's disk driver, which
// writes every buffer to a file, for the sound itself. Every wait is
// bounded.
#include "platform/sdl/audio_output.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/process.h"

namespace velmor::platform::sdl {
namespace {

using namespace std::chrono_literals;
using testing::WaitUntil;

// `frames` stereo frames of 16-bit samples that are never 0 and never
// repeat within 30,000 samples: a frame out of place shows.
std::vector<uint8_t> Pattern(std::size_t frames) {
  std::vector<int16_t> samples(frames * 2);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(1 + static_cast<int>(i % 30000));
  std::vector<uint8_t> bytes(samples.size() * 2);
  std::memcpy(bytes.data(), samples.data(), bytes.size());
  return bytes;
}

class AudioOutputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ::setenv("SDL_AUDIODRIVER", "dummy", 0); }
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    std::string why;
    ASSERT_TRUE(output.Open(&why)) << why;
  }
  void TearDown() override {
    output.Close();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  AudioOutput output;
};

TEST_F(AudioOutputTest, OpensAt44100StereoAndPlaysAWaveOnceFromItsStartToItsEnd) {
  EXPECT_EQ(output.Format().rate, 44100);
  EXPECT_EQ(output.Format().channels, 2);
  EXPECT_FALSE(output.Producing());
  EXPECT_FALSE(output.Active());
  std::vector<uint8_t> pcm = Pattern(11025);  // a quarter second
  ASSERT_TRUE(output.PlayWave(pcm));
  EXPECT_TRUE(output.Active());
  ASSERT_TRUE(WaitUntil([&] { return !output.Producing(); }));
  EXPECT_EQ(output.WaveFrame(), 11025u);
  EXPECT_GE(output.FramesPlayed(), 11025u);
  EXPECT_FALSE(output.Active());
  // Once: it does not start again by itself.
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(output.WaveFrame(), 11025u);
  EXPECT_FALSE(output.Producing());
}

TEST_F(AudioOutputTest, ANewPieceStartsFromItsOwnStartAndHaltLetsGoOfIt) {
  std::vector<uint8_t> first = Pattern(5 * 44100);
  std::vector<uint8_t> second = Pattern(4410);
  ASSERT_TRUE(output.PlayWave(first));
  ASSERT_TRUE(WaitUntil([&] { return output.FramesPlayed() > 4410; }));
  ASSERT_TRUE(output.PlayWave(second));
  EXPECT_EQ(output.FramesPlayed(), 0u);
  ASSERT_TRUE(WaitUntil([&] { return !output.Producing(); }));
  EXPECT_EQ(output.WaveFrame(), 4410u);

  ASSERT_TRUE(output.PlayWave(first));
  ASSERT_TRUE(WaitUntil([&] { return output.WaveFrame() > 0; }));
  output.Halt();
  EXPECT_FALSE(output.Producing());
  EXPECT_FALSE(output.Active());
  EXPECT_EQ(output.WaveFrame(), 0u);
  first = {};  // nothing reads it any more
  std::this_thread::sleep_for(100ms);
  output.Resume();  // nothing to go on with
  EXPECT_FALSE(output.Producing());
}

TEST_F(AudioOutputTest, ClosingWhileTheCallbackPlaysIsSafe) {
  // Each piece is freed right after Close: a callback still reading it
  // would read freed memory (which the sanitiser builds catch).
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    auto pcm = std::make_unique<std::vector<uint8_t>>(Pattern(44100));
    if (!output.IsOpen()) {
      std::string why;
      ASSERT_TRUE(output.Open(&why)) << why;
    }
    ASSERT_TRUE(output.PlayWave(*pcm));
    std::this_thread::sleep_for(std::chrono::milliseconds(4 * round));
    output.Close();
    pcm.reset();
    EXPECT_FALSE(output.IsOpen());
    EXPECT_FALSE(output.PlayWave(Pattern(10)));
    output.Pause();  // without a device: nothing happens
    output.Halt();
  }
}

// --- What comes out, through SDL's disk driver (in a child process) ---

constexpr std::size_t kOutputLimit = 64 * 1024;
// The disk driver writes a buffer (2048 frames) every 20 ms, so the piece
// lasts about 600 ms there: the pause at frame 5,000 comes long before its
// end even when the test's own thread waits for the processor.
constexpr std::size_t kPieceFrames = 60000;

// Plays the pattern into $SDL_DISKAUDIOFILE: at full volume with a pause
// in the middle, or at a quarter of its loudness.
int PlayPatternToDisk(bool quieter) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 10;
  {
    AudioOutput output;
    std::string why;
    if (!output.Open(&why)) return 11;
    if (quieter) output.SetVolume(25);
    std::vector<uint8_t> pcm = Pattern(kPieceFrames);
    output.PlayWave(pcm);
    if (!quieter) {
      if (!WaitUntil([&] { return output.WaveFrame() > 5000; })) return 12;
      output.Pause();
      SDL_Delay(150);
      output.Resume();
    }
    if (!WaitUntil([&] { return !output.Producing(); })) return 13;
    SDL_Delay(100);  // a buffer of silence after it
    output.Close();
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return 0;
}

const testing::ChildBodyRegistration kChildren[] = {
    {"PlayPatternToDisk", [] { return PlayPatternToDisk(false); }},
    {"PlayQuieterPatternToDisk", [] { return PlayPatternToDisk(true); }},
};

// What a child wrote to the disk driver's file, as samples.
std::vector<int16_t> SoundOf(const char* child, std::string* output) {
  char path[] = "/tmp/velmor-audio-XXXXXX";
  const int fd = ::mkstemp(path);
  if (fd < 0) return {};
  ::close(fd);
  auto result = testing::RunChild(
      child, 20s, kOutputLimit,
      {"SDL_AUDIODRIVER=disk", std::string("SDL_DISKAUDIOFILE=") + path, "SDL_DISKAUDIODELAY=20"});
  std::ifstream in(path, std::ios::binary);
  std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(path);
  *output = result.output;
  if (!result.exited || result.exit_code != 0) return {};
  std::vector<int16_t> sound(raw.size() / 2);
  std::memcpy(sound.data(), raw.data(), sound.size() * 2);
  return sound;
}

// At full volume the device gets the piece whole and in order, with silence
// where the pause was and after the end, nowhere else; at a quarter of the
// volume every sample is scaled.
TEST(AudioOutputSound, TheDeviceGetsThePieceWholeInOrderAndAtItsVolume) {
  for (const auto& [child, volume] : {std::pair{"PlayPatternToDisk", 100},
                                      std::pair{"PlayQuieterPatternToDisk", 25}}) {
    SCOPED_TRACE(child);
    std::string output;
    const std::vector<int16_t> sound = SoundOf(child, &output);
    ASSERT_FALSE(sound.empty()) << output;
    std::vector<int16_t> heard;  // every sample that is not silence
    std::size_t silent_runs = 0;
    for (std::size_t i = 0; i < sound.size(); ++i) {
      if (sound[i] != 0) heard.push_back(sound[i]);
      if (sound[i] == 0 && i > 0 && sound[i - 1] != 0) ++silent_runs;
    }
    const std::vector<uint8_t> pattern = Pattern(kPieceFrames);
    std::vector<int16_t> expected;
    for (std::size_t i = 0; i < pattern.size(); i += 2) {
      int16_t s;
      std::memcpy(&s, pattern.data() + i, 2);
      if (s * volume / 100 != 0) expected.push_back(static_cast<int16_t>(s * volume / 100));
    }
    EXPECT_EQ(heard, expected);
    EXPECT_TRUE(volume != 100 || silent_runs == 2) << silent_runs;
    EXPECT_GT(sound.size(), heard.size());
  }
}

}  // namespace
}  // namespace velmor::platform::sdl
