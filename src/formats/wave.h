// RIFF WAVE sounds: the check every file passes before a decoder sees it
// (a WAVE file from the data folder may be damaged, and the decoders trust
// what they are given), and a writer of uncompressed PCM.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "formats/byte_source.h"
#include "formats/result.h"

namespace velmor::formats {

// WAVE encodings (format tags) the check knows by name.
namespace wave_format {
constexpr uint16_t kPcm = 1;
constexpr uint16_t kMsAdpcm = 2;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kALaw = 6;
constexpr uint16_t kMuLaw = 7;
constexpr uint16_t kImaAdpcm = 0x11;
constexpr uint16_t kExtensible = 0xFFFE;
}  // namespace wave_format

// Whether a WAVE encoding is one of the two ADPCM kinds, whose blocks the
// check walks one by one.
constexpr bool IsAdpcm(uint16_t format_tag) {
  return format_tag == wave_format::kMsAdpcm || format_tag == wave_format::kImaAdpcm;
}

struct WaveSummary {
  uint16_t format_tag = 0;  // wave_format::k... (after WAVE_FORMAT_EXTENSIBLE)
  uint16_t channels = 0;
  uint32_t sample_rate = 0;
  uint32_t byte_rate = 0;  // as stored (no decoder uses it)
  uint16_t bits = 0;
  uint16_t block_align = 0;
  uint32_t samples_per_block = 0;  // ADPCM: sample frames a whole block holds
  uint32_t data_at = 0;            // where the sound data starts in the file
  uint32_t data_size = 0;          // bytes of sound data
  uint64_t frames = 0;             // sample frames it plays
  uint32_t length_ms = 0;          // playing time, rounded up
  // The file as the decoder gets it: "RIFF" "WAVE", the "fmt " chunk and the
  // "data" chunk, nothing else (no loop points, no tags). ADPCM data is cut
  // to whole blocks, a final partial block that holds samples filled up
  // with zeros to a whole one (the decoder plays only whole blocks; the
  // samples past `frames` are not part of the sound).
  std::vector<uint8_t> clean;
};

// Walks a RIFF WAVE file: the "fmt " chunk (an encoding the player can sound:
// PCM of 8, 16, 24 or 32 bits, float of 32 or 64 bits, 8-bit A-law or
// mu-law, 4-bit MS ADPCM (1 or 2 channels) or IMA ADPCM; 1 to 8 channels)
// and the "data" chunk must both be present and lie within the file. ADPCM
// also needs a block layout that holds together (the block size holds the
// block headers and the samples a block announces; MS ADPCM: its standard
// predictor table, and every block naming a predictor of the table). The
// fault says why a file is refused ("damaged WAVE file: no \"data\" chunk").
//
// The playing time of PCM and the like is the data at the rate it plays; of
// ADPCM, the sample frames of the "fact" chunk when it has a count other
// than 0 (never more than the data holds), else those of the whole blocks
// plus the whole frames of a final partial block.
FormatResult<WaveSummary> CheckWave(std::span<const uint8_t> bytes);

// CheckWave for a file read a part at a time, holding no more than a
// megabyte of it at once: the same verdict and the same summary, except that
// `clean` is left empty. What the decoder gets is `source` (it reads `file`
// as it is asked): the clean file's header and "fmt " chunk, then the sound
// data read from `file` where it stands, then any zeros that fill a final
// ADPCM block.
FormatResult<WaveSummary> CheckWaveParts(const std::shared_ptr<ByteSource>& file,
                                         std::shared_ptr<ByteSource>* source);

// What WriteWave stores.
struct WaveFormat {
  uint32_t sample_rate = 22050;
  uint16_t channels = 1;  // 1 or 2
  uint16_t bits = 16;     // 8 (unsigned samples) or 16 (signed)
  friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

// The bytes of a PCM WAVE file. `samples` are signed 16-bit values,
// interleaved left, right for stereo; 8-bit files keep their top eight bits
// (offset to unsigned). The sample count must be a whole number of frames.
// A data chunk of odd length is followed by a pad byte, as RIFF requires.
// Throws std::invalid_argument for an unsupported format.
std::vector<uint8_t> WriteWave(const WaveFormat& format, std::span<const int16_t> samples);

}  // namespace velmor::formats
