// Small sound files for the sound tests (and the sound measurement in
// bench/sound): made with the format writers, or read from the test data
// (tests/data/sound: ADPCM files, each with what a decoder makes of it; the
// format corpus).
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

// A file of the test data (tests/data/<path>).
std::vector<uint8_t> TestFile(std::string_view path);

// A WAVE file whose "data" chunk (its last) keeps its first `bytes` bytes,
// or is filled up with zeros to that size; its chunk and RIFF sizes say so.
// Cut: a last block written short. Grown: a long piece of ADPCM silence.
std::vector<uint8_t> ResizeWaveData(std::vector<uint8_t> file, uint32_t bytes);

}  // namespace velmor::testing
