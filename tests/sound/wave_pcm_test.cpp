// WAVE pieces decoded and converted for the sound output: every encoding
// the checks let through comes out at the output's rate and channels, with
// the length the file's frames make at that rate; the stored ADPCM files
// decode to the samples their encoder's own decoder made.
#include "platform/sdl/wave_pcm.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <string>
#include <vector>

#include "formats/byte_writer.h"
#include "formats/riff.h"
#include "formats/wave.h"
#include "sound_files.h"

namespace velmor::platform::sdl {
namespace {

using Bytes = std::vector<uint8_t>;
namespace wave_format = formats::wave_format;

// A WAVE file of `data` in the given encoding; `extensible` writes its
// "fmt " as WAVE_FORMAT_EXTENSIBLE (the sub-format GUID's fixed part after
// the tag).
Bytes Wave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data,
           bool extensible = false) {
  const auto align = static_cast<uint16_t>(channels * bits / 8);
  Bytes fmt, out;
  formats::PutLe16(fmt, extensible ? wave_format::kExtensible : tag);
  formats::PutLe16(fmt, channels);
  formats::PutLe32(fmt, rate);
  formats::PutLe32(fmt, rate * align);
  formats::PutLe16(fmt, align);
  formats::PutLe16(fmt, bits);
  if (extensible)  // extra size, valid bits, channel mask, GUID
    for (int v : {22, int{bits}, 0, 0, int{tag}, 0, 0, 0x10, 0x80, 0xAA00, 0x3800, 0x719B})
      formats::PutLe16(fmt, static_cast<uint32_t>(v));
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

// The frames each stored file plays (a "fact" chunk or a last block written
// short ends it before its blocks do) and a digest (FNV-1a of the 16-bit
// samples) of each block's samples as the encoder's own decoder made them:
// a mismatch names the blocks that decode otherwise.
TEST(DecodeWaveToPcm, GivesTheStoredAdpcmSamplesUpToTheCheckedLength) {
  const std::tuple<const char*, uint64_t, std::vector<uint64_t>> files[] = {
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
  for (const auto& [name, frames, digests] : files) {
    SCOPED_TRACE(name);
    const auto [wave, samples] = CheckAndDecode(testing::TestFile(std::string("sound/") + name + ".wav"));
    EXPECT_EQ(samples.size(), frames * wave.channels);
    std::vector<uint64_t> blocks;
    for (std::size_t i = 0; i < samples.size(); ++i) {
      if (i % (wave.samples_per_block * wave.channels) == 0) blocks.push_back(0xCBF29CE484222325);
      blocks.back() = (blocks.back() ^ static_cast<uint16_t>(samples[i])) * 0x100000001B3;
    }
    EXPECT_EQ(blocks, digests) << "blocks of " << wave.samples_per_block << " frames";
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

}  // namespace
}  // namespace velmor::platform::sdl
