// The WAVE writer: exact bytes of small files at both depths (header
// fields, sample encoding, the pad byte after odd data). What the check makes
// of plain PCM files is the format corpus's.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "formats/wave.h"

namespace velmor::formats {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(WaveWriter, WritesExactBytes) {
  struct Case {
    const char* name;
    WaveFormat format;
    std::vector<int16_t> samples;
    Bytes expected;
  };
  const Case cases[] = {
      {"16-bit stereo, three frames",
       {44100, 2, 16},
       {1, -2, 300, -300, 32767, -32768},
       {'R', 'I', 'F', 'F', 48, 0, 0, 0, 'W', 'A', 'V', 'E',                 //
        'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,                         // PCM, 2 channels
        0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0, 4, 0, 16, 0,                  // 44100, 176400
        'd', 'a', 't', 'a', 12, 0, 0, 0,                                     //
        0x01, 0x00, 0xFE, 0xFF, 0x2C, 0x01, 0xD4, 0xFE, 0xFF, 0x7F, 0x00, 0x80}},
      {"8-bit mono: unsigned samples, odd data padded (the RIFF size counts the pad)",
       {8000, 1, 8},
       {-32768, 0, 32767},
       {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E',         //
        'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,                 //
        0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0,              // 8000, 8000
        'd', 'a', 't', 'a', 3, 0, 0, 0, 0x00, 0x80, 0xFF, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WriteWave(c.format, c.samples), c.expected);
  }
}

TEST(WaveWriter, RefusesUnsupportedFormatsAndPartFrames) {
  const std::vector<int16_t> three(3, 0);
  EXPECT_THROW(WriteWave({22050, 2, 16}, three), std::invalid_argument);
  EXPECT_THROW(WriteWave({22050, 3, 16}, std::vector<int16_t>(6)), std::invalid_argument);
  EXPECT_THROW(WriteWave({22050, 1, 12}, three), std::invalid_argument);
  EXPECT_THROW(WriteWave({0, 1, 16}, three), std::invalid_argument);
}

}  // namespace
}  // namespace velmor::formats
