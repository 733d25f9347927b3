// Small sound files for the sound tests, made with the media writers.
#pragma once

#include <cstdint>
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

// Bytes of a big-endian or little-endian 32-bit number written into `file`.
void PokeBe32(std::vector<uint8_t>& file, std::size_t at, uint32_t value);
void PokeLe32(std::vector<uint8_t>& file, std::size_t at, uint32_t value);
// Where `tag` first occurs in `file` (the file must hold it).
std::size_t FindTag(const std::vector<uint8_t>& file, std::string_view tag);

}  // namespace velmor::testing
