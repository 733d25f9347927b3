// WAVE pieces decoded and converted for the sound output: every encoding
// the checks let through comes out at the output's rate and channels, with
// the length the file's frames make at that rate; the stored ADPCM files
// decode to the samples kept beside them.
#include "platform/sdl/wave_pcm.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
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
  Bytes fmt;
  formats::PutLe16(fmt, extensible ? wave_format::kExtensible : tag);
  formats::PutLe16(fmt, channels);
  formats::PutLe32(fmt, rate);
  formats::PutLe32(fmt, rate * align);
  formats::PutLe16(fmt, align);
  formats::PutLe16(fmt, bits);
  if (extensible) {
    for (int v : {22, int{bits}, 0, 0, int{tag}, 0, 0, 0x10, 0x80, 0xAA00, 0x3800, 0x719B})
      formats::PutLe16(fmt, static_cast<uint32_t>(v));  // extra size, valid bits, channel mask, GUID
  }
  Bytes out;
  formats::PutTag(out, "RIFF");
  formats::PutLe32(out, static_cast<uint32_t>(4 + 8 + fmt.size() + 8 + data.size() + (data.size() & 1)));
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

// The file checked and decoded: its frames as checked, and the samples.
std::pair<uint64_t, std::vector<int16_t>> CheckAndDecode(const Bytes& file, const OutputFormat& format) {
  auto checked = formats::CheckWave(file);
  EXPECT_TRUE(checked) << checked.fault().what;
  if (!checked) return {};
  std::string why;
  auto pcm = DecodeWaveToPcm(checked->clean, checked->frames, format, &why);
  EXPECT_TRUE(pcm) << why;
  if (!pcm) return {};
  EXPECT_EQ(pcm->size() % 2, 0u);
  std::vector<int16_t> samples(pcm->size() / 2);
  if (!samples.empty()) std::memcpy(samples.data(), pcm->data(), samples.size() * 2);
  return {checked->frames, samples};
}

TEST(DecodeWaveToPcm, EveryEncodingComesOutAtTheOutputsFormatWithTheLengthOfItsFrames) {
  struct Encoding {
    const char* name;
    uint16_t tag, bits;
    bool extensible = false;
  };
  const Encoding encodings[] = {
      {"PCM 8-bit", wave_format::kPcm, 8},       {"PCM 16-bit", wave_format::kPcm, 16},
      {"PCM 24-bit", wave_format::kPcm, 24},     {"PCM 32-bit", wave_format::kPcm, 32},
      {"float 32-bit", wave_format::kFloat, 32}, {"float 64-bit", wave_format::kFloat, 64},
      {"A-law", wave_format::kALaw, 8},          {"mu-law", wave_format::kMuLaw, 8},
      {"float 64-bit, extensible", wave_format::kFloat, 64, true},
      {"PCM 16-bit, extensible", wave_format::kPcm, 16, true},
  };
  const OutputFormat outputs[] = {{44100, 2}, {48000, 1}, {22050, 6}};
  for (const Encoding& e : encodings) {
    for (uint32_t rate : {8000, 22050, 44100, 96000}) {
      for (uint16_t channels : {1, 2, 8}) {
        for (const OutputFormat& out : outputs) {
          SCOPED_TRACE(::testing::Message() << e.name << ", " << channels << " channels at " << rate
                                            << " to " << out.rate << " x" << out.channels);
          const uint64_t frames = rate / 10 + 7;  // a tenth of a second and a bit
          const auto [checked, samples] = CheckAndDecode(
              Wave(e.tag, channels, rate, e.bits, Samples(e.tag, e.bits, frames * channels), e.extensible), out);
          EXPECT_EQ(checked, frames);
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
    }
  }
}

TEST(DecodeWaveToPcm, GivesTheStoredAdpcmSamplesUpToTheCheckedLength) {
  for (const char* name : {"ima_mono", "ima_stereo_last_block_short", "ms_mono_fact", "ms_stereo_last_block_short"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string("sound/") + name;
    auto checked = formats::CheckWave(testing::TestFile(path + ".wav"));
    ASSERT_TRUE(checked) << checked.fault().what;
    // At the file's own rate and channels: the decoder's samples as they are.
    const OutputFormat format{static_cast<int>(checked->sample_rate), checked->channels};
    std::string why;
    auto pcm = DecodeWaveToPcm(checked->clean, checked->frames, format, &why);
    ASSERT_TRUE(pcm) << why;
    EXPECT_TRUE(*pcm == testing::TestFile(path + ".pcm"));
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
