// WAVE pieces decoded and converted for the sound output: every encoding
// the checks let through comes out at the output's rate and channels, with
// the length the file's frames make at that rate and the sound it holds.
#include "platform/sdl/wave_pcm.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "formats/wave.h"
#include "sound_files.h"

namespace velmor::platform::sdl {
namespace {

using Bytes = std::vector<uint8_t>;

void PutLe(Bytes& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutTag(Bytes& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// A WAVE file of `data` in the given encoding; `extensible` writes its
// "fmt " as WAVE_FORMAT_EXTENSIBLE.
Bytes Wave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data,
           bool extensible = false) {
  const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  Bytes fmt;
  PutLe(fmt, extensible ? formats::wave_format::kExtensible : tag, 2);
  PutLe(fmt, channels, 2);
  PutLe(fmt, rate, 4);
  PutLe(fmt, uint64_t{rate} * align, 4);
  PutLe(fmt, align, 2);
  PutLe(fmt, bits, 2);
  if (extensible) {
    PutLe(fmt, 22, 2);    // extra size
    PutLe(fmt, bits, 2);  // valid bits
    PutLe(fmt, 0, 4);     // channel mask
    PutLe(fmt, tag, 2);   // the sub-format GUID, then its fixed part
    for (uint8_t b : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38,
                      0x9B, 0x71})
      fmt.push_back(b);
  }
  Bytes out;
  PutTag(out, "RIFF");
  PutLe(out, 4 + 8 + fmt.size() + 8 + data.size() + (data.size() & 1), 4);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe(out, fmt.size(), 4);
  out.insert(out.end(), fmt.begin(), fmt.end());
  PutTag(out, "data");
  PutLe(out, data.size(), 4);
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() & 1) out.push_back(0);
  return out;
}

// `frames` frames of a middling level in each encoding (no silence, so that
// a frame that went missing would show).
Bytes Samples(uint16_t tag, uint16_t bits, uint16_t channels, uint64_t frames) {
  Bytes out;
  const uint64_t samples = frames * channels;
  for (uint64_t i = 0; i < samples; ++i) {
    if (tag == formats::wave_format::kFloat && bits == 32) {
      PutLe(out, std::bit_cast<uint32_t>(0.25f), 4);
    } else if (tag == formats::wave_format::kFloat) {
      PutLe(out, std::bit_cast<uint64_t>(0.25), 8);
    } else if (tag == formats::wave_format::kALaw || tag == formats::wave_format::kMuLaw) {
      out.push_back(0x20);
    } else if (bits == 8) {
      out.push_back(0xA0);  // unsigned: a quarter up
    } else {
      PutLe(out, uint64_t{1} << (bits - 3), bits / 8);  // a quarter of full scale
    }
  }
  return out;
}

struct Decoded {
  std::vector<int16_t> samples;
  uint64_t frames = 0;  // the file's, as checked
};

Decoded CheckAndDecode(const Bytes& file, const OutputFormat& format) {
  auto checked = formats::CheckWave(file);
  EXPECT_TRUE(checked) << checked.fault().what;
  if (!checked) return {};
  std::string why;
  auto pcm = DecodeWaveToPcm(checked->clean, checked->frames, format, &why);
  EXPECT_TRUE(pcm) << why;
  if (!pcm) return {};
  Decoded d;
  d.frames = checked->frames;
  d.samples.resize(pcm->size() / 2);
  if (!d.samples.empty()) std::memcpy(d.samples.data(), pcm->data(), d.samples.size() * 2);
  EXPECT_EQ(pcm->size() % 2, 0u);
  return d;
}

struct Encoding {
  const char* name;
  uint16_t tag;
  uint16_t bits;
  bool extensible = false;
};

const Encoding kEncodings[] = {
    {"PCM 8-bit", formats::wave_format::kPcm, 8},
    {"PCM 16-bit", formats::wave_format::kPcm, 16},
    {"PCM 24-bit", formats::wave_format::kPcm, 24},
    {"PCM 32-bit", formats::wave_format::kPcm, 32},
    {"float 32-bit", formats::wave_format::kFloat, 32},
    {"float 64-bit", formats::wave_format::kFloat, 64},
    {"float 64-bit, extensible", formats::wave_format::kFloat, 64, true},
    {"A-law", formats::wave_format::kALaw, 8},
    {"mu-law", formats::wave_format::kMuLaw, 8},
    {"PCM 16-bit, extensible", formats::wave_format::kPcm, 16, true},
};

TEST(DecodeWaveToPcm, EveryEncodingComesOutAtTheOutputsRateWithTheLengthOfItsFrames) {
  const OutputFormat outputs[] = {{44100, 2}, {48000, 1}, {22050, 6}};
  const uint32_t rates[] = {8000, 11025, 22050, 44100, 48000, 96000};
  for (const Encoding& e : kEncodings) {
    for (uint32_t rate : rates) {
      for (const OutputFormat& out : outputs) {
        SCOPED_TRACE(std::string(e.name) + " at " + std::to_string(rate) + " to " +
                     std::to_string(out.rate) + " x" + std::to_string(out.channels));
        const uint64_t frames = rate / 10 + 7;  // a tenth of a second and a bit
        Decoded d = CheckAndDecode(Wave(e.tag, 2, rate, e.bits, Samples(e.tag, e.bits, 2, frames),
                                        e.extensible),
                                   out);
        EXPECT_EQ(d.frames, frames);
        EXPECT_EQ(d.samples.size(),
                  frames * static_cast<uint64_t>(out.rate) / rate * out.channels);
        // At the output's own rate and channels only the sample format
        // changes: a quarter of full scale stays one (A-law and mu-law 0x20
        // are levels of their own).
        const bool companded = e.tag == formats::wave_format::kALaw ||
                               e.tag == formats::wave_format::kMuLaw;
        if (rate == static_cast<uint32_t>(out.rate) && out.channels == 2 && !companded) {
          for (int16_t s : d.samples) ASSERT_NEAR(s, 8192, 1);
        }
      }
    }
  }
}

TEST(DecodeWaveToPcm, OneToEightChannelsGoToTheOutputsChannels) {
  for (uint16_t channels = 1; channels <= 8; ++channels) {
    SCOPED_TRACE(channels);
    const uint64_t frames = 2205;
    Decoded d = CheckAndDecode(
        Wave(formats::wave_format::kPcm, channels, 22050, 16, Samples(1, 16, channels, frames)), {44100, 2});
    ASSERT_EQ(d.samples.size(), 2 * frames * 2);
    // Away from the edges, where the resampler starts and ends: sound in
    // both channels.
    EXPECT_NE(d.samples[2000], 0);
    EXPECT_NE(d.samples[2001], 0);
  }
}

TEST(DecodeWaveToPcm, DoublesOutOfRangeOrNotNumbersAreClippedOrSilencedAndNoFramesAreNoSound) {
  Bytes data;
  for (double v : {2.0, -7.5, std::numeric_limits<double>::quiet_NaN(),
                   std::numeric_limits<double>::infinity(), -0.5})
    PutLe(data, std::bit_cast<uint64_t>(v), 8);
  Decoded d = CheckAndDecode(Wave(formats::wave_format::kFloat, 1, 44100, 64, data), {44100, 1});
  ASSERT_EQ(d.samples.size(), 5u);
  EXPECT_EQ(d.samples[0], 32767);
  EXPECT_EQ(d.samples[1], -32768);
  EXPECT_EQ(d.samples[2], 0);
  EXPECT_EQ(d.samples[3], 0);
  EXPECT_NEAR(d.samples[4], -16384, 1);
  // No frames make an empty piece.
  EXPECT_TRUE(CheckAndDecode(Wave(formats::wave_format::kPcm, 1, 22050, 16, {}), {44100, 2}).samples.empty());
}

TEST(DecodeWaveToPcm, AToneStaysAsItIsAtTheOutputsFormatAndKeepsItsPitchAtAnother) {
  const std::vector<int16_t> tone = testing::ToneSamples(22050, 2);
  Bytes data;
  for (int16_t s : tone) PutLe(data, static_cast<uint16_t>(s), 2);
  const Bytes file = Wave(formats::wave_format::kPcm, 2, 22050, 16, data);
  EXPECT_EQ(CheckAndDecode(file, {22050, 2}).samples, tone);
  // ToneSamples: a sine whose left channel crosses zero twice a period; the
  // same number of crossings a second at any rate.
  auto crossings = [](const std::vector<int16_t>& s) {
    int n = 0;
    for (std::size_t i = 2; i < s.size(); i += 2)
      if ((s[i - 2] < 0) != (s[i] < 0)) ++n;
    return n;
  };
  const Decoded d = CheckAndDecode(file, {44100, 2});
  ASSERT_EQ(d.samples.size(), tone.size() * 2);
  EXPECT_NEAR(crossings(d.samples), crossings(tone), 2);
}

TEST(DecodeWaveToPcm, WhatSdlCannotDecodeOrConvertIsRefusedWithItsReason) {
  // Not what the checks hand over (they would refuse it), but it must not
  // bring anything down either.
  const Bytes file = Wave(formats::wave_format::kPcm, 1, 22050, 16, Bytes(100, 1));
  Bytes mp3 = file;
  mp3[20] = 0x55;  // MPEG layer 3
  struct Case {
    const Bytes& file;
    OutputFormat output;
    const char* why;
  };
  const Bytes junk(64, 0xEE);
  for (const Case& c : {Case{mp3, {44100, 2}, "cannot decode the WAVE file"},
                        Case{junk, {44100, 2}, ""},
                        Case{file, {44100, 0}, "cannot convert the WAVE file"}}) {
    std::string why;
    EXPECT_FALSE(DecodeWaveToPcm(c.file, 50, c.output, &why));
    EXPECT_NE(why.find(c.why), std::string::npos) << why;
    EXPECT_FALSE(why.empty());
  }
}

}  // namespace
}  // namespace velmor::platform::sdl
