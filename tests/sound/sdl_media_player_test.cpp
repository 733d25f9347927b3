// The SDL front end's sound: WAVE pieces decoded for the output; the real
// player and its output on SDL's dummy audio driver (no sound hardware; it
// consumes sound in real time) and on its disk driver, which writes every
// buffer to a file, for the sound itself; the bounded log of the sound
// libraries. Every wait is bounded: a player that never stops fails.
#include "platform/sdl/sdl_media_player.h"

#include <SDL.h>
#include <dlfcn.h>
#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <thread>

#include "core/texts.h"
#include "formats/byte_writer.h"
#include "formats/midi_writer.h"
#include "formats/riff.h"
#include "formats/wave.h"
#include "platform/headless/memory_files.h"
#include "platform/sdl/synth_log.h"
#include "platform/sdl/wave_pcm.h"
#include "platform/sdl/sound_log.h"
#include "sound_files.h"
#include "support/built_texts.h"
#include "support/process.h"

namespace velmor::platform::sdl {
namespace {

using Bytes = std::vector<uint8_t>;
namespace wave_format = formats::wave_format;
using namespace std::chrono_literals;
using testing::WaitUntil;

// A WAVE file of `data` in the given encoding ("fmt " in 16-bit words);
// `extensible` writes WAVE_FORMAT_EXTENSIBLE (the GUID's fixed part after the tag).
Bytes Wave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data,
           bool extensible = false) {
  const uint32_t align = channels * bits / 8u, byte_rate = rate * align;
  std::vector<uint32_t> words = {extensible ? wave_format::kExtensible : tag, channels,
      rate & 0xFFFF, rate >> 16, byte_rate & 0xFFFF, byte_rate >> 16, align, bits};
  if (extensible)  // extra size, valid bits, channel mask, GUID
    words.insert(words.end(), {22, bits, 0, 0, tag, 0, 0, 0x10, 0x80, 0xAA00, 0x3800, 0x719B});
  Bytes fmt, out;
  for (uint32_t w : words) formats::PutLe16(fmt, w);
  formats::PutTag(out, "RIFF");
  formats::PutLe32(out, static_cast<uint32_t>(20 + fmt.size() + data.size() + (data.size() & 1)));
  formats::PutTag(out, "WAVE");
  formats::PutRiffChunk(out, "fmt ", fmt);
  formats::PutRiffChunk(out, "data", data);
  return out;
}

void PutDouble(Bytes& out, double v) {
  const auto bits = std::bit_cast<uint64_t>(v);
  formats::PutLe32(out, static_cast<uint32_t>(bits));
  formats::PutLe32(out, static_cast<uint32_t>(bits >> 32));
}

// `samples` samples of a quarter of full scale in each encoding (no silence,
// so that a frame that went missing would show).
Bytes Samples(uint16_t tag, uint16_t bits, uint64_t samples) {
  Bytes out;
  for (uint64_t i = 0; i < samples; ++i) {
    if (tag == wave_format::kFloat && bits == 32) formats::PutLe32(out, std::bit_cast<uint32_t>(0.25f));
    else if (tag == wave_format::kFloat) PutDouble(out, 0.25);
    else if (tag != wave_format::kPcm) out.push_back(0x20);  // A-law, mu-law: a level of their own
    else if (bits == 8) out.push_back(0xA0);  // unsigned
    else for (int b = 0; b < bits / 8; ++b) out.push_back(b == bits / 8 - 1 ? 0x20 : 0);
  }
  return out;
}

// The file checked and decoded (at rate 0: at its own rate and channels):
// the check's summary and the samples.
std::pair<formats::WaveSummary, std::vector<int16_t>> CheckAndDecode(
    const Bytes& file, const OutputFormat& format = {0, 0}) {
  auto checked = formats::CheckWave(file);
  EXPECT_TRUE(checked) << checked.fault().what;
  if (!checked) return {};
  const OutputFormat own{static_cast<int>(checked->sample_rate), checked->channels};
  std::string why;
  auto pcm = DecodeWaveToPcm(checked->clean, checked->frames, format.rate ? format : own, &why);
  EXPECT_TRUE(pcm) << why;
  if (!pcm) return {};
  EXPECT_EQ(pcm->size() % 2, 0u);
  return {*checked, testing::Samples(*pcm)};
}

TEST(DecodeWaveToPcm, EveryEncodingComesOutAtTheOutputsFormatWithTheLengthOfItsFrames) {
  struct Encoding { const char* name; uint16_t tag, bits; bool extensible = false; };
  const Encoding encodings[] = {
      {"PCM 8-bit", wave_format::kPcm, 8},       {"PCM 16-bit", wave_format::kPcm, 16},
      {"PCM 24-bit", wave_format::kPcm, 24},     {"PCM 32-bit", wave_format::kPcm, 32},
      {"float 32-bit", wave_format::kFloat, 32}, {"float 64-bit", wave_format::kFloat, 64},
      {"A-law", wave_format::kALaw, 8},          {"mu-law", wave_format::kMuLaw, 8},
      {"float 64-bit, extensible", wave_format::kFloat, 64, true},
      {"PCM 16-bit, extensible", wave_format::kPcm, 16, true},
  };
  const OutputFormat outputs[] = {{44100, 2}, {48000, 1}, {22050, 6}};
  for (const Encoding& e : encodings)
    for (uint32_t rate : {8000, 22050, 44100, 96000})
      for (uint16_t channels : {1, 2, 8})
        for (const OutputFormat& out : outputs) {
          SCOPED_TRACE(::testing::Message() << e.name << ", " << channels << " channels at " << rate
                                            << " to " << out.rate << " x" << out.channels);
          const uint64_t frames = rate / 10 + 7;  // a tenth of a second and a bit
          const auto [checked, samples] = CheckAndDecode(
              Wave(e.tag, channels, rate, e.bits, Samples(e.tag, e.bits, frames * channels), e.extensible), out);
          EXPECT_EQ(checked.frames, frames);
          ASSERT_EQ(samples.size(), frames * static_cast<uint64_t>(out.rate) / rate * out.channels);
          // At the output's own rate and channels only the sample format
          // changes: a quarter of full scale stays one. Elsewhere, away from
          // the edges where the resampler starts and ends, every channel sounds.
          const bool companded = e.tag == wave_format::kALaw || e.tag == wave_format::kMuLaw;
          if (rate == static_cast<uint32_t>(out.rate) && channels == out.channels && !companded) {
            for (int16_t s : samples) ASSERT_NEAR(s, 8192, 1);
          }
          for (int c = 0; c < out.channels && out.channels <= 2; ++c)
            EXPECT_NE(samples[samples.size() / out.channels / 2 * out.channels + c], 0) << c;
        }
}

// The stored ADPCM files (tests/data/sound: layouts old game data used), the
// frames each plays (a "fact" chunk or a last block written short ends it
// before its blocks do) and a digest (FNV-1a of the 16-bit samples) of each
// block's samples as the encoder's own decoder made them.
const std::tuple<const char*, uint64_t, std::vector<uint64_t>> kStoredAdpcm[] = {
    {"ima_mono", 4040,
     {0x374E80CC6661E2FE, 0xD9664AFBFD36ED89, 0x3F07A93113DEC938, 0xFDFDE20CC742B143,
      0x7BF73203EAB96FF4, 0x62152D44CB4B9A71, 0xB82ACD0C83E86DFB, 0x6A3361D4E436F6D0}},
    {"ima_stereo_last_block_short", 3216, {0xE7F074342921D14B, 0x4547996BFAC235D3,
                                           0xF95F989E1372D90C, 0x3068D3838FE2B31D}},
    {"ms_mono_fact", 2222, {0xADD54AB0B64BE105, 0x40E8997CDA124BD6, 0x49D4502FB942A90B,
                            0x3C20A970CB3AF423, 0xB03900F366D31124}},
    {"ms_stereo_last_block_short", 3603,
     {0x90A4B65392C34AC2, 0x5C7B1706C5DCAA12, 0xD0D15A0FF9055E85, 0xD525299BA1860D17,
      0xA6101E0CB4F3F5F6, 0x0A241ED6D3D23659, 0x606B8D33FF6FD154, 0xF8B1F4C8F9D6931D}}};

TEST(DecodeWaveToPcm, GivesTheStoredAdpcmSamplesUpToTheCheckedLength) {
  for (const auto& [name, frames, digests] : kStoredAdpcm) {
    SCOPED_TRACE(name);
    const auto [wave, samples] =
        CheckAndDecode(testing::TestFile(std::string("sound/") + name + ".wav"));
    EXPECT_EQ(samples.size(), frames * wave.channels);
    std::vector<uint64_t> blocks;
    for (std::size_t i = 0; i < samples.size(); ++i) {
      if (i % (wave.samples_per_block * wave.channels) == 0) blocks.push_back(0xCBF29CE484222325);
      blocks.back() = (blocks.back() ^ static_cast<uint16_t>(samples[i])) * 0x100000001B3;
    }
    std::string differ;  // the blocks, from 1, whose samples are not the stored ones
    for (std::size_t b = 0; b < std::max(blocks.size(), digests.size()); ++b)
      if (b >= blocks.size() || b >= digests.size() || blocks[b] != digests[b])
        differ += " " + std::to_string(b + 1);
    EXPECT_EQ(differ, "") << "blocks of " << wave.samples_per_block << " frames";
  }
}

TEST(DecodeWaveToPcm, DoublesOutOfRangeOrNotNumbersAreClippedOrSilenced) {
  Bytes data;
  for (double v : {2.0, -7.5, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -0.5})
    PutDouble(data, v);
  const std::vector<int16_t> samples = CheckAndDecode(Wave(wave_format::kFloat, 1, 44100, 64, data), {44100, 1}).second;
  ASSERT_EQ(samples.size(), 5u);
  EXPECT_EQ(std::vector<int16_t>(samples.begin(), samples.begin() + 4), (std::vector<int16_t>{32767, -32768, 0, 0}));
  EXPECT_NEAR(samples[4], -16384, 1);
  // No frames make an empty piece.
  EXPECT_TRUE(CheckAndDecode(Wave(wave_format::kPcm, 1, 22050, 16, {}), {44100, 2}).second.empty());
}

TEST(DecodeWaveToPcm, WhatSdlCannotDecodeOrConvertIsRefusedWithItsReason) {
  // Not what the checks hand over (they would refuse it), but it must not
  // bring anything down either.
  const Bytes file = Wave(wave_format::kPcm, 1, 22050, 16, Bytes(100, 1));
  Bytes mp3 = file;
  mp3[20] = 0x55;  // MPEG layer 3
  const std::tuple<Bytes, OutputFormat, const char*> cases[] = {
      {mp3, {44100, 2}, "cannot decode the WAVE file"},
      {Bytes(64, 0xEE), {44100, 2}, ""},
      {file, {44100, 0}, "cannot convert the WAVE file"}};
  for (const auto& [bytes, output, text] : cases) {
    std::string why;
    EXPECT_FALSE(DecodeWaveToPcm(bytes, 50, output, &why));
    EXPECT_NE(why.find(text), std::string::npos) << why;
    EXPECT_FALSE(why.empty());
  }
}

// A varying signal (a saw on each channel, its own slope each) at `bits`.
Bytes Saw(uint16_t bits, uint16_t channels, uint64_t frames) {
  Bytes out;
  for (uint64_t i = 0; i < frames; ++i)
    for (uint16_t c = 0; c < channels; ++c) {
      const auto v = static_cast<int16_t>((i * (97 + 31 * c) % 512) * 64 - 16384);
      if (bits == 8) out.push_back(static_cast<uint8_t>((v >> 8) + 128));
      else formats::PutLe16(out, static_cast<uint16_t>(v));
    }
  return out;
}

// Everything a stream gives, read `piece` bytes at a time.
std::vector<int16_t> ReadAll(WaveStream& stream, std::size_t piece) {
  std::vector<uint8_t> all, buffer(piece);
  while (!stream.AtEnd()) {
    const std::size_t got = stream.Read(buffer.data(), buffer.size());
    if (got == 0) break;
    all.insert(all.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
  }
  return testing::Samples(all);
}

// Converted as it plays, a piece gives the samples the whole conversion
// gives, at any rate (a 1 Hz file too), in buffers of any size, and again
// from its start after a rewind.
TEST(WaveStream, GivesTheSamplesOfTheWholeConversion) {
  struct Case { uint32_t rate; uint16_t channels, bits; uint64_t frames; OutputFormat out; };
  const Case cases[] = {{1, 1, 8, 12, {44100, 2}},      {8000, 1, 16, 4000, {44100, 2}},
                        {8000, 2, 8, 3001, {48000, 1}}, {11025, 2, 16, 9000, {44100, 2}},
                        {7993, 1, 16, 5000, {44100, 2}}, {44100, 2, 16, 5000, {44100, 2}},
                        {96000, 2, 16, 20000, {22050, 2}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.rate << " Hz x" << c.channels << " " << c.bits
                                      << "-bit to " << c.out.rate << " x" << c.out.channels);
    const Bytes file = Wave(wave_format::kPcm, c.channels, c.rate, c.bits,
                            Saw(c.bits, c.channels, c.frames));
    auto checked = formats::CheckWave(file);
    ASSERT_TRUE(checked);
    std::string why;
    auto whole = DecodeWaveToPcm(checked->clean, checked->frames, c.out, &why);
    ASSERT_TRUE(whole) << why;
    auto stream = WaveStream::Open(checked->clean, checked->frames, c.out, &why);
    ASSERT_TRUE(stream) << why;
    const std::vector<int16_t> want = testing::Samples(*whole);
    EXPECT_EQ(stream->Frames() * static_cast<uint64_t>(c.out.channels), want.size());
    const std::size_t frame = static_cast<std::size_t>(c.out.FrameBytes());
    for (std::size_t piece : {2048 * frame, 7 * frame, 100000 * frame}) {
      stream->Rewind();
      const std::vector<int16_t> got = ReadAll(*stream, piece);
      ASSERT_EQ(got.size(), want.size()) << piece;
      std::size_t differ = 0;
      for (std::size_t i = 0; i < got.size(); ++i) differ += std::abs(got[i] - want[i]) > 1;
      EXPECT_EQ(differ, 0u) << "samples more than one step apart, reading " << piece;
    }
  }
}

// Read from the file a piece at a time as it plays (formats::CheckWaveParts'
// source), a sound gives the very samples it gives held whole, and the
// whole conversion's to within a step (exactly, at the file's own rate):
// 8 and 16 bits, mono and stereo, odd and slow rates, a data chunk that
// ends inside a frame, A-law, 24 bits, doubles and the stored ADPCM files.
TEST(WaveStream, ReadInPiecesGivesTheSamplesOfTheFileHeldWhole) {
  struct Case { const char* name; Bytes file; OutputFormat out; };
  std::vector<Case> cases;
  for (const auto& [rate, channels, bits] : std::vector<std::tuple<uint32_t, uint16_t, uint16_t>>{
           {1, 1, 8}, {8000, 2, 8}, {7993, 1, 16}, {11025, 2, 16}, {44100, 2, 16}, {96000, 1, 16}})
    for (OutputFormat out : {OutputFormat{44100, 2}, OutputFormat{static_cast<int>(rate), channels}})
      cases.push_back({"saw", Wave(wave_format::kPcm, channels, rate, bits,
                                   Saw(bits, channels, rate == 1 ? 12 : 9001)), out});
  Bytes cut = Saw(16, 2, 5000);
  cut.resize(cut.size() - 3);  // the last frame cut inside
  cases.push_back({"cut", Wave(wave_format::kPcm, 2, 22050, 16, cut), {44100, 2}});
  cases.push_back({"A-law", Wave(wave_format::kALaw, 1, 8000, 8, Samples(wave_format::kALaw, 8, 7000)), {44100, 2}});
  cases.push_back({"24-bit", Wave(wave_format::kPcm, 2, 32000, 24, Samples(wave_format::kPcm, 24, 9000)), {44100, 2}});
  cases.push_back({"doubles", Wave(wave_format::kFloat, 1, 44100, 64, Samples(wave_format::kFloat, 64, 9000)), {44100, 1}});
  for (const auto& stored : kStoredAdpcm)
    for (OutputFormat out : {OutputFormat{44100, 2}, OutputFormat{22050, 1}})
      cases.push_back({std::get<0>(stored),
                       testing::TestFile(std::string("sound/") + std::get<0>(stored) + ".wav"), out});
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.name << " " << c.file.size() << " bytes to "
                                      << c.out.rate << " x" << c.out.channels);
    auto checked = formats::CheckWave(c.file);
    ASSERT_TRUE(checked) << checked.fault().what;
    std::string why;
    auto whole = DecodeWaveToPcm(checked->clean, checked->frames, c.out, &why);
    ASSERT_TRUE(whole) << why;
    const std::vector<int16_t> want = testing::Samples(*whole);
    auto held = WaveStream::Open(checked->clean, checked->frames, c.out, &why);
    ASSERT_TRUE(held) << why;
    std::shared_ptr<formats::ByteSource> source;
    auto parts = formats::CheckWaveParts(std::make_shared<formats::MemorySource>(c.file), &source);
    ASSERT_TRUE(parts) << parts.fault().what;
    auto read = WaveStream::Open(source, parts->frames, c.out, &why);
    ASSERT_TRUE(read) << why;
    const std::vector<int16_t> from_held = ReadAll(*held, 4096);
    const std::vector<int16_t> from_file = ReadAll(*read, 1000 * c.out.FrameBytes());
    EXPECT_EQ(from_file, from_held);
    ASSERT_EQ(from_file.size(), want.size());
    const bool same_rate = c.out.rate == static_cast<int>(checked->sample_rate);
    std::size_t differ = 0;
    for (std::size_t i = 0; i < want.size(); ++i)
      differ += std::abs(from_file[i] - want[i]) > (same_rate ? 0 : 1);
    EXPECT_EQ(differ, 0u);
  }
}

// A sound whose file changes or goes while it plays gives silence for what
// can no longer be read, never a crash, and its length stays.
TEST(WaveStream, AFileThatCanNoLongerBeReadPlaysSilence) {
  class Vanishing : public formats::MemorySource {
   public:
    using MemorySource::MemorySource;
    bool ReadAt(uint64_t at, std::span<uint8_t> out) override {
      return !gone && MemorySource::ReadAt(at, out);
    }
    bool gone = false;
  };
  auto file = std::make_shared<Vanishing>(Wave(wave_format::kPcm, 1, 44100, 16, Saw(16, 1, 50000)));
  std::shared_ptr<formats::ByteSource> source;
  auto parts = formats::CheckWaveParts(file, &source);
  ASSERT_TRUE(parts);
  std::string why;
  const OutputFormat out{44100, 1};
  auto stream = WaveStream::Open(source, parts->frames, out, &why);
  ASSERT_TRUE(stream) << why;
  std::vector<uint8_t> buffer(10000 * 2);
  EXPECT_EQ(stream->Read(buffer.data(), buffer.size()), buffer.size());
  EXPECT_TRUE(std::any_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b != 0; }));
  file->gone = true;
  std::vector<uint8_t> rest(40000 * 2, 0xAA);
  EXPECT_EQ(stream->Read(rest.data(), rest.size()), rest.size());
  // What was converted before it went still plays; then silence.
  EXPECT_TRUE(std::all_of(rest.end() - 20000, rest.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(stream->AtEnd());
}

// Sought to any frame, a piece gives from there the very samples it gives
// there read from its start: at a piece's edge and inside one, at its first
// and last frame, held whole and read from the file; past its end, nothing.
TEST(WaveStream, SoughtToAFrameGivesTheSamplesReadFromTheStartGiveThere) {
  struct Case { uint32_t rate; uint16_t channels; OutputFormat out; };
  for (const Case& c : {Case{22050, 1, {44100, 2}}, Case{7993, 2, {44100, 2}},
                        Case{44100, 2, {44100, 2}}, Case{48000, 1, {44100, 1}}}) {
    SCOPED_TRACE(::testing::Message() << c.rate << " Hz x" << c.channels << " to " << c.out.rate);
    const Bytes file = Wave(wave_format::kPcm, c.channels, c.rate, 16, Saw(16, c.channels, 30011));
    std::shared_ptr<formats::ByteSource> source;
    auto parts = formats::CheckWaveParts(std::make_shared<formats::MemorySource>(file), &source);
    ASSERT_TRUE(parts);
    std::string why;
    auto stream = WaveStream::Open(source, parts->frames, c.out, &why);
    ASSERT_TRUE(stream) << why;
    const std::vector<int16_t> whole = ReadAll(*stream, 3000 * c.out.FrameBytes());
    const uint64_t frames = stream->Frames();
    ASSERT_EQ(whole.size(), frames * c.out.channels);
    for (uint64_t at : {uint64_t{0}, uint64_t{1}, uint64_t{4095}, uint64_t{4096}, uint64_t{4097},
                        frames / 3, frames / 2 + 17, frames - 1, frames, frames + 5000}) {
      SCOPED_TRACE(at);
      stream->Seek(at);
      EXPECT_EQ(stream->Given(), std::min(at, frames));
      const std::vector<int16_t> rest = ReadAll(*stream, 1000 * c.out.FrameBytes());
      const std::size_t from = static_cast<std::size_t>(std::min(at, frames) * c.out.channels);
      ASSERT_EQ(rest.size(), whole.size() - from);
      EXPECT_TRUE(std::equal(rest.begin(), rest.end(), whole.begin() + static_cast<std::ptrdiff_t>(from)));
    }
  }
}

// A small file at a slow rate is hours of sound at the output's: what is
// held converted stays a few megabytes at most, however long it plays.
TEST(WaveStream, HoldsLittleConvertedWhateverTheFilesRate) {
  for (uint32_t rate : {1u, 3u, 8000u, 192000u}) {
    SCOPED_TRACE(rate);
    const Bytes file = Wave(wave_format::kPcm, 1, rate, 8, Saw(8, 1, 6000));  // 6 KB
    auto checked = formats::CheckWave(file);
    ASSERT_TRUE(checked);
    std::string why;
    const OutputFormat out{44100, 2};
    auto stream = WaveStream::Open(checked->clean, checked->frames, out, &why);
    ASSERT_TRUE(stream) << why;
    EXPECT_EQ(stream->Frames(), 6000ull * 44100 / rate);
    std::vector<uint8_t> buffer(2048 * 4);
    for (int i = 0; i < 500 && !stream->AtEnd(); ++i) stream->Read(buffer.data(), buffer.size());
    // One of the file's frames at 1 Hz is 44,100 of the output's; with the
    // margins SDL's resampler looks at, 17 of them are converted at once
    // (3 MB). Whole, the 6 KB would be a gigabyte.
    EXPECT_LE(stream->MostHeld(), 4u << 20);
    EXPECT_GT(stream->Given(), 0u);
  }
}

// A player over tones, notes and the stored ADPCM files (ADPCM0..3.WAV); files
// are named without their folder, D\SOUND\.
class SdlMediaPlayerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ::setenv("SDL_AUDIODRIVER", "dummy", 0); }
  SdlMediaPlayerTest() {
    files.Put("D/SOUND/SHORT.WAV", testing::ToneWave(200));
    files.Put("D/SOUND/FAST.WAV", testing::ToneWave(300, 48000));
    files.Put("D/SOUND/LONG.WAV", testing::ToneWave(5000));
    files.Put("D/SOUND/SHORT.MID", testing::NoteMidi(200));
    files.Put("D/SOUND/OTHER.MID", testing::NoteMidi(300));
    for (int n = 0; n < 4; ++n)
      files.Put("D/SOUND/ADPCM" + std::to_string(n) + ".WAV",
                testing::TestFile(std::string("sound/") + std::get<0>(kStoredAdpcm[n]) + ".wav"));
  }
  bool Open(const std::string& name, std::string* error = nullptr) {
    player.SetFileName("D\\SOUND\\" + name);
    return player.Open(error);
  }
  bool OpenAndPlay(const std::string& name) { return Open(name) && (player.Play(), true); }
  bool Stopped() { return player.Mode() == MediaMode::Stopped; }
  std::string State() {  // the mode and the error code
    return std::string(MediaModeName(player.Mode())) + ", error " + std::to_string(player.Error());
  }

  MemoryFiles files;
  SdlMediaPlayer player{files};
  const AudioOutput& output = player.Output();
};

TEST_F(SdlMediaPlayerTest, PlaysEachPieceOnceToItsEndAndAgainFromTheStart) {
  ASSERT_TRUE(player.HasOutput()) << "no audio output with SDL's dummy driver";
  EXPECT_EQ(player.Mode(), MediaMode::NotReady);
  std::string error;
  // The first file of each kind (ADPCM: the start-up probe's case) loads at once, the others
  // (other rates, encodings) on the loader thread, the last waited for. Each is Stopped until
  // played, Playing from Play on (loaded or not), Stopped at its end; SHORT.WAV plays twice.
  const std::vector<std::string> names = {"ADPCM0.WAV", "SHORT.MID", "SHORT.WAV", "SHORT.WAV",
      "FAST.WAV", "ADPCM1.WAV", "ADPCM2.WAV", "ADPCM3.WAV", "OTHER.MID", "SHORT.MID"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string path = "D\\SOUND\\" + names[i];
    SCOPED_TRACE(path);
    if (player.OpenedFile() != path) {
      ASSERT_TRUE(Open(names[i], &error)) << error;
      if (i + 1 == names.size()) player.WaitForLoad();
      EXPECT_TRUE(Stopped());
    }
    const auto start = std::chrono::steady_clock::now();
    player.Play();
    EXPECT_EQ(State(), "playing, error 0");
    ASSERT_TRUE(WaitUntil([&] { return Stopped(); }));
    EXPECT_EQ(player.OpenedFile(), path);
    if (path.ends_with(".MID")) continue;
    // Counted in the buffers filled, a buffer or two (46 ms each) ahead of the sound; played
    // once, all of it at the output's rate, and the output falls idle.
    auto wave = formats::CheckWave(*files.Get(path));
    ASSERT_TRUE(wave);
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(wave->frames * 1000 / wave->sample_rate) - 2 * 47ms);
    EXPECT_TRUE(WaitUntil([&] { return !output.Producing(); }));
    EXPECT_EQ(output.WaveFrame(), wave->frames * output.Format().rate / wave->sample_rate);
    EXPECT_GE(output.FramesPlayed(), output.WaveFrame());
  }
  // The last note rings for seconds; the piece ends at its last event, and Play then starts it
  // again while the tail still sounds.
  player.Play();
  EXPECT_EQ(player.Mode(), MediaMode::Playing);
  EXPECT_TRUE(WaitUntil([&] { return Stopped(); }));
  EXPECT_TRUE(player.Stop(&error));  // silences the tail
  EXPECT_EQ(player.Mode(), MediaMode::Stopped);
  player.Play();
  EXPECT_EQ(player.Mode(), MediaMode::Playing);
  EXPECT_EQ(player.Log().Received(), 0u);
}

TEST_F(SdlMediaPlayerTest, ANewFileReplacesOneStillLoading) {
  ASSERT_TRUE(Open("SHORT.MID") && Open("SHORT.WAV"));
  files.Put("D/SOUND/ADPCM.WAV",  // five seconds of stereo, 1,017 frames a block
            testing::ResizeWaveData(testing::TestFile("sound/ima_stereo_last_block_short.wav"), 5 * 22050 / 1017 * 1024));
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(OpenAndPlay(i % 2 ? "ADPCM.WAV" : "OTHER.MID"));
  ASSERT_TRUE(OpenAndPlay("SHORT.WAV"));
  player.WaitForLoad();
  EXPECT_EQ(player.OpenedFile(), "D\\SOUND\\SHORT.WAV");
  // What sounds is the new file, to its end.
  EXPECT_TRUE(WaitUntil([&] { return Stopped() && !output.Producing(); }));
  EXPECT_EQ(output.WaveFrame(), 200u * output.Format().rate / 1000);
}

TEST_F(SdlMediaPlayerTest, StopHoldsThePlaceAndPlayGoesOnFromTheSameFrame) {
  ASSERT_TRUE(OpenAndPlay("SHORT.WAV"));  // a piece before, whose frames do not count
  ASSERT_TRUE(WaitUntil([&] { return Stopped(); }));
  ASSERT_TRUE(OpenAndPlay("LONG.WAV"));
  ASSERT_TRUE(WaitUntil([&] { return output.WaveFrame() > 0; }));
  ASSERT_TRUE(player.Stop(nullptr));
  const uint64_t at = output.WaveFrame();
  EXPECT_EQ(output.FramesPlayed(), at);  // every buffer of the piece counted, nothing else
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(std::tuple(output.WaveFrame(), output.FramesPlayed(), output.Producing()),
            std::tuple(at, at, false));
  EXPECT_TRUE(Stopped());
  EXPECT_EQ(player.OpenedFile(), "D\\SOUND\\LONG.WAV");
  player.Play();
  EXPECT_EQ(player.Mode(), MediaMode::Playing);
  ASSERT_TRUE(WaitUntil([&] { return output.WaveFrame() > at; }));
  {
    AudioOutput::Lock hold(output);
    EXPECT_EQ(output.FramesPlayed(), output.WaveFrame());
  }
  EXPECT_LT(player.MsUntilStopped(),
            5000 - at * 1000 / static_cast<uint64_t>(output.Format().rate));
}

// PlayFrom starts a WAVE piece at the frame of that time, loaded or still
// loading, playing or stopped; the position counts on from there, and a
// time past the end plays from the start.
TEST_F(SdlMediaPlayerTest, PlayFromStartsAWavePieceAtItsTimeAndThePositionCountsFromThere) {
  const auto rate = static_cast<uint64_t>(output.Format().rate);
  ASSERT_TRUE(OpenAndPlay("SHORT.WAV"));  // the first WAVE file loads at once; LONG on the loader
  ASSERT_TRUE(Open("LONG.WAV"));
  player.PlayFrom(3000);
  EXPECT_EQ(State(), "playing, error 0");
  EXPECT_GE(player.PositionMs(), 3000u);  // still loading, or just started
  EXPECT_LT(player.PositionMs(), 3500u);
  player.WaitForLoad();
  ASSERT_TRUE(WaitUntil([&] { return output.WaveFrame() > 3000 * rate / 1000; }));
  ASSERT_TRUE(player.Stop(nullptr));
  const uint32_t at = player.PositionMs();
  EXPECT_GE(at, 3000u);
  EXPECT_LT(at, 4000u);
  EXPECT_EQ(output.FramesPlayed(), output.WaveFrame());  // the count and the sound agree
  player.PlayFrom(4900);  // stopped: from there, and the end comes within a tenth of a second or so
  EXPECT_LE(player.MsUntilStopped(), 100u);
  ASSERT_TRUE(WaitUntil([&] { return Stopped(); }));
  EXPECT_EQ(player.PositionMs(), 5000u);
  for (uint32_t past : {5000u, 90000u}) {  // at or past the end: from the start
    player.PlayFrom(past);
    EXPECT_EQ(State(), "playing, error 0");
    EXPECT_LT(player.PositionMs(), 1000u);
  }
  ASSERT_TRUE(player.Stop(nullptr));
  player.PlayFrom(0);
  EXPECT_LT(player.PositionMs(), 1000u);
}

// A piece with a tempo change halfway: two seconds at 120 beats a minute,
// then twice as fast; a note on every quarter.
std::vector<uint8_t> TwoTempoMidi() {
  formats::MidiTrack track;
  track.Tempo(0, 500000);
  track.ProgramChange(0, 0, 0);
  track.Tempo(1920, 250000);
  for (uint32_t quarter = 0; quarter < 12; ++quarter) track.Note(quarter * 480, 400, 0, 60, 90);
  track.EndAt(12 * 480);
  return formats::WriteMidi({0, 480, {track}});
}

// PlayFrom starts a MIDI piece at the tick its tempo map puts at that time:
// the synthesiser's player stands there once it has sounded a buffer, and
// the position counts on from the time asked.
TEST_F(SdlMediaPlayerTest, PlayFromStartsAMidiPieceAtTheTickOfItsTime) {
  ASSERT_TRUE(player.HasOutput());
  files.Put("D/SOUND/TEMPO.MID", TwoTempoMidi());
  ASSERT_TRUE(Open("TEMPO.MID"));  // 2 s + 2 s at twice the pace
  player.WaitForLoad();
  struct Case { uint32_t ms; int64_t tick; };
  for (Case c : {Case{1000, 960}, Case{2500, 2880}, Case{0, 0}}) {
    SCOPED_TRACE(c.ms);
    const auto start = std::chrono::steady_clock::now();
    player.PlayFrom(c.ms);
    EXPECT_EQ(State(), "playing, error 0");
    const int64_t first = player.Synth().CurrentTick();
    ASSERT_TRUE(WaitUntil([&] { return player.Synth().CurrentTick() > first; }));
    ASSERT_TRUE(player.Stop(nullptr));
    // What sounded since is at most the time that went by (a busy machine
    // may take long to look) and a buffer (46 ms): at the faster pace
    // 1.92 ticks a millisecond.
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
    const int64_t tick = player.Synth().CurrentTick();
    EXPECT_GE(tick, c.tick);
    EXPECT_LT(tick, c.tick + 2 * waited + 200) << "after " << waited << " ms";
    EXPECT_GE(player.PositionMs(), c.ms);
    EXPECT_LT(player.PositionMs(), c.ms + waited + 100) << "after " << waited << " ms";
  }
  player.PlayFrom(3999);
  ASSERT_TRUE(WaitUntil([&] { return Stopped(); }));  // at the piece's end
  EXPECT_EQ(player.PositionMs(), 4000u);
}

TEST(SdlMediaPlayerTeardown, GoingAwayWhileThePiecePlaysOrLoadsIsSafe) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  MemoryFiles files;
  files.Put("D/SOUND/LONG.WAV", testing::ToneWave(5000));
  files.Put("D/SOUND/SLOW.WAV", testing::ToneWave(20000, 11025));
  files.Put("D/SOUND/LONG.MID", testing::NoteMidi(2000));
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    SdlMediaPlayer player(files);
    ASSERT_TRUE(player.HasOutput());
    // The next piece loads behind; the player may go while it does.
    for (const char* name : {"LONG.WAV", round % 2 ? "LONG.MID" : "SLOW.WAV"}) {
      player.SetFileName(std::string("D\\SOUND\\") + name);
      ASSERT_TRUE(player.Open(nullptr));
      player.Play();
      std::this_thread::sleep_for(std::chrono::milliseconds(15 * round));
    }
    if (round >= 3) {
      player.WaitForLoad();
      std::this_thread::sleep_for(60ms);
      EXPECT_TRUE(player.Output().Producing());
    }
  }
}

TEST_F(SdlMediaPlayerTest, TheSoundFontComesFromTheOptionTheEnvironmentOrTheDefaultAndMustBeReadable) {
  const char* saved = std::getenv("SDL_SOUNDFONTS");
  const std::string saved_value = saved ? saved : "";
  ::unsetenv("SDL_SOUNDFONTS");  // put back below
  EXPECT_EQ(player.SoundFont(), kDefaultSoundFont);
  ::setenv("SDL_SOUNDFONTS", "/fonts/a.sf2", 1);
  EXPECT_EQ(player.SoundFont(), "/fonts/a.sf2");
  player.SetSoundFont("/fonts/b.sf2");
  EXPECT_EQ(player.SoundFont(), "/fonts/b.sf2");
  saved ? ::setenv("SDL_SOUNDFONTS", saved_value.c_str(), 1) : ::unsetenv("SDL_SOUNDFONTS");
  // Without a readable one MIDI cannot sound (error 3, no output; the log
  // says which file it could not read); files that cannot be read are left
  // out of a list.
  const std::string none = "/no/such/font.sf2";
  for (const auto& [font, state] : {std::pair{none, "stopped, error 3, 1 logged"},
                                    {none + ";" + kDefaultSoundFont, "playing, error 0"}}) {
    SCOPED_TRACE(font);
    player.SetSoundFont(font);
    ASSERT_TRUE(OpenAndPlay("SHORT.MID"));
    const std::string log = ", " + std::to_string(player.Log().Received()) + " logged";
    EXPECT_EQ(State() + (player.Error() ? log : ""), state);
  }
}

// The first messages from any thread go out, then a line says the rest are
// dropped; without a stream the log only counts.
TEST(SoundLog, WritesTheFirstMessagesFromAnyThreadThenSaysTheRestAreDropped) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  {
    platform::sdl::SoundLog log(f, 3);
    log.Write("fluidsynth", "warning: one\n");  // a line's own end is not doubled
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([&] { for (int i = 0; i < 1000; ++i) log.Write("x", "message"); });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(std::pair(log.Received(), log.Written()), std::pair(uint64_t{4001}, uint64_t{4}));
  }
  std::rewind(f);
  std::string text(4096, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), f));
  std::fclose(f);
  EXPECT_EQ(text, "fluidsynth: warning: one\nx: message\nx: message\n"
                  "velmor: further sound library messages are dropped\n");
  platform::sdl::SoundLog quiet(nullptr);
  quiet.Write("x", "message");
  EXPECT_EQ(std::pair(quiet.Received(), quiet.Written()), std::pair(uint64_t{1}, uint64_t{0}));
}

// The log's own words in the player's language: the synthesiser's message
// as the library wrote it inside our words for its level, the line that
// says the rest are dropped, and a player's refusal with the reader's
// reason (a file that is no MIDI file) inside it.
TEST(SoundLog, OurWordsAroundTheLibrarysAreInThePlayersLanguage) {
  ScopedTexts restore;
  auto said = [] {
    std::FILE* f = std::tmpfile();
    if (f == nullptr) return std::string("no temporary file");
    {
      SoundLog log(f, 1);
      log.Write("fluidsynth", SynthMessageText(FLUID_WARN, "Ringbuffer full"));
      log.Write("fluidsynth", SynthMessageText(FLUID_ERR, "Ringbuffer full"));
    }
    std::rewind(f);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), f));
    std::fclose(f);
    MemoryFiles files;
    files.Put("D/SOUND/BAD.MID", Bytes{'n', 'o', 't', ' ', 'M', 'I', 'D', 'I'});
    std::string error;
    ReadMediaFile(files, "D\\SOUND\\BAD.MID", &error);
    return text + error;
  };
  EXPECT_EQ(said(), "fluidsynth: warning: Ringbuffer full\n"
                    "velmor: further sound library messages are dropped\n"
                    "D\\SOUND\\BAD.MID: not a MIDI file");
  std::string why;
  ASSERT_TRUE(testing::ShowBuiltJapanese(&why)) << why;
  EXPECT_EQ(said(), "fluidsynth: 警告: Ringbuffer full\n"
                    "velmor: サウンドライブラリのこれ以降のメッセージは捨てます\n"
                    "D\\SOUND\\BAD.MID: MIDI ファイルではありません");
}

// --- In a child process: what comes out, and what the terminal sees ---

// `frames` stereo frames of 16-bit samples that are never 0 and never
// repeat within 30,000 samples: a frame out of place shows.
std::vector<int16_t> Pattern(std::size_t frames) {
  std::vector<int16_t> samples(frames * 2);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(1 + i % 30000);
  return samples;
}

// The disk driver writes a buffer (2048 frames) every 20 ms, so the piece
// lasts about 600 ms there: the stop at frame 5,000 comes long before its
// end even when the test's own thread waits for the processor.
constexpr std::size_t kPieceFrames = 60000;

// Plays the pattern, a WAVE file in the output's own format, into
// $SDL_DISKAUDIOFILE: at full volume stopped in the middle and played on,
// or at a quarter of its loudness.
int PlayPatternToDisk(bool quieter) {
  MemoryFiles files;
  files.Put("D/SOUND/P.WAV", formats::WriteWave({44100, 2, 16}, Pattern(kPieceFrames)));
  SdlMediaPlayer player(files);
  const AudioOutput& output = player.Output();
  if (!player.HasOutput() || output.Format().rate != 44100 || output.Format().channels != 2) return 10;
  if (quieter) player.SetVolume(25);
  player.SetFileName("D\\SOUND\\P.WAV");
  if (!player.Open(nullptr)) return 11;
  player.Play();
  if (!quieter) {
    if (!WaitUntil([&] { return output.WaveFrame() > 5000; })) return 12;
    player.Stop(nullptr);
    SDL_Delay(150);
    player.Play();
  }
  if (!WaitUntil([&] { return !output.Producing(); })) return 13;
  SDL_Delay(100);  // a buffer of silence after it
  return 0;
}

// A damaged MIDI file through the player, then straight to the synthesiser.
int PlayDamagedMidi() {
  std::string soundfont, error;
  {
    MemoryFiles files;
    files.Put("D/SOUND/BAD.MID", testing::BogusLengthMidi());
    SdlMediaPlayer player(files);
    player.SetFileName("D\\SOUND\\BAD.MID");
    if (player.Open(&error)) return 10;  // must be refused ...
    if (!error.starts_with("D\\SOUND\\BAD.MID: damaged MIDI file: track 1 runs past the end"))
      return 15;
    if (player.Error() != media_error::kRefused || player.Mode() != MediaMode::NotReady) return 16;
    player.Play();
    if (player.Stop(&error) || error != kNoDeviceText) return 17;  // ... and leave nothing open
    soundfont = player.SoundFont();
  }

  // The same bytes handed to the synthesiser unchecked and played for up to
  // three seconds: it complains through the bounded log and never holds the
  // audio thread for long.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 11;
  platform::sdl::SoundLog log;
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

// Without an audio device files open but cannot sound.
int ProbeWithoutOutput() {
  MemoryFiles files;
  files.Put("D/SOUND/QV00.WAV", testing::ToneWave(100));
  files.Put("D/SOUND/QV00.MID", testing::NoteMidi(100));
  SdlMediaPlayer player(files);
  if (player.HasOutput()) return 20;
  for (const char* path : {"D\\SOUND\\QV00.WAV", "D\\SOUND\\QV00.MID"}) {
    player.SetFileName(path);
    if (!player.Open(nullptr)) return 21;
    player.Play();
    if (player.Error() != media_error::kNoOutput || player.Mode() != MediaMode::Stopped) return 22;
  }
  return 0;
}

const testing::ChildBodyRegistration kChildren[] = {
    {"PlayPatternToDisk", [] { return PlayPatternToDisk(false); }},
    {"PlayQuieterPatternToDisk", [] { return PlayPatternToDisk(true); }},
    {"PlayDamagedMidi", &PlayDamagedMidi},
    {"FloodSynthLog", &FloodSynthLog},
    {"ProbeWithoutOutput", &ProbeWithoutOutput},
};

// Each child within its time and a few lines of output: a damaged MIDI
// file neither hangs nor floods the terminal, the synthesiser's messages are
// bounded. At full volume the device gets the piece whole and in order,
// with silence where the stop was and after the end, nowhere else; at a
// quarter of the volume every sample is scaled.
TEST(SdlMediaPlayerChildren, EndInTimeWithoutFloodingTheTerminalAndSoundThePieceWhole) {
  struct Case { const char* child; const char* driver; std::vector<const char*> says; int volume; };
  const Case cases[] = {
      {"PlayPatternToDisk", "disk", {}, 100},
      {"PlayQuieterPatternToDisk", "disk", {}, 25},
      {"PlayDamagedMidi", "dummy", {}, 0},
      {"FloodSynthLog", "dummy",
       {"fluidsynth: warning: Ringbuffer full", "further sound library messages are dropped"}, 0},
      {"ProbeWithoutOutput", "no-such-driver", {}, 0},  // volume 0: no sound to check
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.child);
    const std::string path = std::string(VELMOR_BUILD_DIR) + "/sound_" + c.child + ".raw";
    std::remove(path.c_str());
    auto result = testing::RunChild(c.child, 20s, 64 * 1024, {std::string("SDL_AUDIODRIVER=") + c.driver,
        "SDL_DISKAUDIOFILE=" + path, "SDL_DISKAUDIODELAY=20"});
    const std::vector<int16_t> sound = testing::Samples(testing::ReadFile(path));
    std::remove(path.c_str());
    EXPECT_EQ(std::tuple(result.timed_out, result.flooded, result.exited, result.exit_code),
              std::tuple(false, false, true, 0)) << result.output;
    EXPECT_LT(result.output.size(), 4096u) << result.output;
    for (const char* text : c.says) EXPECT_NE(result.output.find(text), std::string::npos) << result.output;
    if (!c.volume) continue;
    std::vector<int16_t> heard;  // every sample that is not silence
    std::size_t silent_runs = 0;
    for (std::size_t i = 0; i < sound.size(); ++i) {
      if (sound[i] != 0) heard.push_back(sound[i]);
      if (sound[i] == 0 && i > 0 && sound[i - 1] != 0) ++silent_runs;
    }
    std::vector<int16_t> expected;
    for (int16_t s : Pattern(kPieceFrames))
      if (s * c.volume / 100 != 0) expected.push_back(static_cast<int16_t>(s * c.volume / 100));
    EXPECT_EQ(heard, expected);
    EXPECT_TRUE(c.volume != 100 || silent_runs == 2) << silent_runs;
    EXPECT_GT(sound.size(), heard.size());
  }
}

}  // namespace
}  // namespace velmor::platform::sdl
