// Small sound files for the sound tests, made with the format writers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace velmor::testing {

// A quiet tone of `ms` milliseconds, 16-bit mono at `rate` samples a second.
std::vector<uint8_t> ToneWave(uint32_t ms, uint32_t rate = 22050);

// One note that lasts `ms` milliseconds, at 120 beats a minute and 480
// ticks a quarter note (one tick = 500000 / 480 microseconds).
std::vector<uint8_t> NoteMidi(uint32_t ms);

// A MIDI file whose only track claims to be far longer than the file: the
// damage that makes the synthesiser spin when looped.
std::vector<uint8_t> BogusLengthMidi();

// A sine tone of `frames` sample frames, `channels` interleaved (the right
// channel an octave up), loud enough for ADPCM to adapt its steps.
std::vector<int16_t> ToneSamples(std::size_t frames, uint16_t channels);

// The layout of an ADPCM WAVE file the encoders below write.
struct AdpcmFormat {
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t block_align = 256;
  std::optional<uint32_t> fact;  // a "fact" chunk with this frame count
};

// ADPCM WAVE files from our own small encoders: `samples` (interleaved) in
// whole blocks, the last filled up with silence. *decoded (when given) gets
// what a decoder makes of every block, filling included. The MS ADPCM
// encoder always uses the first predictor of the standard table.
std::vector<uint8_t> ImaAdpcmWave(const AdpcmFormat& format, std::span<const int16_t> samples,
                                  std::vector<int16_t>* decoded = nullptr);
std::vector<uint8_t> MsAdpcmWave(const AdpcmFormat& format, std::span<const int16_t> samples,
                                 std::vector<int16_t>* decoded = nullptr);

// A WAVE file whose "data" chunk keeps only its first `bytes` bytes, its
// chunk and RIFF sizes saying so (a last block written short).
std::vector<uint8_t> CutWaveData(std::vector<uint8_t> file, uint32_t bytes);

// A little-endian 32-bit number written into `file`.
void PokeLe32(std::vector<uint8_t>& file, std::size_t at, uint32_t value);
// Where `tag` first occurs in `file` (the file must hold it).
std::size_t FindTag(const std::vector<uint8_t>& file, std::string_view tag);

}  // namespace velmor::testing
