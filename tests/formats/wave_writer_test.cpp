// The WAVE writer: header sizes and fields, sample encoding at both depths,
// the pad byte after odd data; what it writes passes the check.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "formats/wave.h"

namespace velmor::formats {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Le32At(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t Le16At(const Bytes& b, std::size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

TEST(WaveWriter, SixteenBitStereoHeader) {
  const std::vector<int16_t> samples = {1, -2, 300, -300, 32767, -32768};  // three frames
  const Bytes b = WriteWave({44100, 2, 16}, samples);
  ASSERT_EQ(b.size(), 44u + 12);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(Le32At(b, 4), b.size() - 8);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Le32At(b, 16), 16u);
  EXPECT_EQ(Le16At(b, 20), 1);  // PCM
  EXPECT_EQ(Le16At(b, 22), 2);
  EXPECT_EQ(Le32At(b, 24), 44100u);
  EXPECT_EQ(Le32At(b, 28), 44100u * 4);
  EXPECT_EQ(Le16At(b, 32), 4);
  EXPECT_EQ(Le16At(b, 34), 16);
  EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
  EXPECT_EQ(Le32At(b, 40), 12u);
  EXPECT_EQ(Bytes(b.begin() + 44, b.begin() + 48), (Bytes{0x01, 0x00, 0xFE, 0xFF}));
  EXPECT_EQ(Bytes(b.end() - 4, b.end()), (Bytes{0xFF, 0x7F, 0x00, 0x80}));
}

TEST(WaveWriter, EightBitSamplesAreUnsignedAndOddDataIsPadded) {
  const Bytes b = WriteWave({8000, 1, 8}, std::vector<int16_t>{-32768, 0, 32767});
  ASSERT_EQ(b.size(), 44u + 3 + 1);
  EXPECT_EQ(Le32At(b, 40), 3u);              // the pad byte is not data
  EXPECT_EQ(Le32At(b, 4), b.size() - 8);     // but the RIFF size counts it
  EXPECT_EQ(Le16At(b, 32), 1);
  EXPECT_EQ(Le32At(b, 28), 8000u);
  EXPECT_EQ(Bytes(b.begin() + 44, b.end()), (Bytes{0x00, 0x80, 0xFF, 0x00}));
}

TEST(WaveWriter, RefusesUnsupportedFormatsAndPartFrames) {
  const std::vector<int16_t> three(3, 0);
  EXPECT_THROW(WriteWave({22050, 2, 16}, three), std::invalid_argument);
  EXPECT_THROW(WriteWave({22050, 3, 16}, std::vector<int16_t>(6)), std::invalid_argument);
  EXPECT_THROW(WriteWave({22050, 1, 12}, three), std::invalid_argument);
  EXPECT_THROW(WriteWave({0, 1, 16}, three), std::invalid_argument);
}

TEST(WaveWriter, WhatItWritesPassesTheCheck) {
  const Bytes b = WriteWave({22050, 1, 16}, std::vector<int16_t>(11025));
  const auto info = CheckWave(b);
  ASSERT_TRUE(info) << info.fault().what;
  EXPECT_EQ(info->format_tag, wave_format::kPcm);
  EXPECT_EQ(info->sample_rate, 22050u);
  EXPECT_EQ(info->channels, 1);
  EXPECT_EQ(info->bits, 16);
  EXPECT_EQ(info->frames, 11025u);
  EXPECT_EQ(info->length_ms, 500u);
  EXPECT_EQ(info->data_at, 44u);
  EXPECT_EQ(info->clean, b);  // nothing for the check to drop
}

}  // namespace
}  // namespace velmor::formats
