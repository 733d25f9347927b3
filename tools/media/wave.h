// RIFF WAVE files holding uncompressed PCM: a writer and a header reader.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velmor::media {

struct WaveFormat {
  uint32_t sample_rate = 22050;
  uint16_t channels = 1;  // 1 or 2
  uint16_t bits = 16;     // 8 (unsigned samples) or 16 (signed)
  friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

// The bytes of a WAVE file. `samples` are signed 16-bit values, interleaved
// left, right for stereo; 8-bit files keep their top eight bits (offset to
// unsigned). The sample count must be a whole number of frames. A data chunk
// of odd length is followed by a pad byte, as RIFF requires. Throws
// std::invalid_argument for an unsupported format.
std::vector<uint8_t> WriteWave(const WaveFormat& format, std::span<const int16_t> samples);

struct WaveInfo {
  WaveFormat format;
  uint32_t riff_size = 0;    // the size stored after "RIFF"
  uint16_t format_tag = 0;   // 1 for PCM
  uint32_t byte_rate = 0;    // as stored
  uint16_t block_align = 0;  // as stored
  uint32_t data_offset = 0;  // where the sample bytes start
  uint32_t data_size = 0;    // bytes of sample data
  uint32_t frames() const { return block_align ? data_size / block_align : 0; }
  double seconds() const {
    return format.sample_rate ? static_cast<double>(frames()) / format.sample_rate : 0.0;
  }
};

// Walks the chunks of a WAVE file for its "fmt " and "data" chunks. Returns
// nothing (and says why in *error) when either is missing or cut short.
std::optional<WaveInfo> ReadWaveInfo(std::span<const uint8_t> bytes, std::string* error = nullptr);

}  // namespace velmor::media
