// Small sound files for the sound tests (and the sound measurement in
// bench/sound): made with the format writers, or read from the test data
// (tests/data/sound: ADPCM files of the layouts old game data used; the
// format corpus).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_writer.h"
#include "formats/midi_writer.h"
#include "formats/riff.h"
#include "formats/wave.h"

namespace velmor::testing {

// A quiet tone of `ms` milliseconds, 16-bit mono at `rate` samples a second.
inline std::vector<uint8_t> ToneWave(uint32_t ms, uint32_t rate = 22050) {
  std::vector<int16_t> samples(static_cast<std::size_t>(uint64_t{rate} * ms / 1000));
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(2000 * std::sin(static_cast<double>(i) * 0.06));
  return formats::WriteWave({rate, 1, 16}, samples);
}

// One note that lasts `ms` milliseconds, at 120 beats a minute and 480
// ticks a quarter note (one tick = 500000 / 480 microseconds).
inline std::vector<uint8_t> NoteMidi(uint32_t ms) {
  formats::MidiTrack track;
  track.Tempo(0, 500000);
  track.ProgramChange(0, 0, 0);
  track.Note(0, ms * 480 / 500, 0, 60, 90);
  track.EndAt(ms * 480 / 500);
  return formats::WriteMidi({0, 480, {track}});
}

// A MIDI file whose only track claims to be far longer than the file: the
// damage that makes the synthesiser spin when looped.
inline std::vector<uint8_t> BogusLengthMidi() {
  std::vector<uint8_t> file = NoteMidi(300);
  formats::SetBe32(file, 14 + 4, 0x7FFFFFF0);  // the track's size, after the header and "MTrk"
  return file;
}

// A file's bytes (empty when there is none), or a file of the test data
// (tests/data/<path>, which must be there).
inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
inline std::vector<uint8_t> TestFile(std::string_view path) {
  const std::string full = std::string(VELMOR_TEST_DATA_DIR) + "/" + std::string(path);
  if (!std::ifstream(full)) throw std::invalid_argument("no test file " + full);
  return ReadFile(full);
}

// 16-bit samples in machine order, as the sound output takes them.
inline std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

// A WAVE file whose "data" chunk (its last) keeps its first `bytes` bytes,
// or is filled up with zeros to that size; its chunk and RIFF sizes say so.
// Cut: a last block written short. Grown: a long piece of ADPCM silence.
inline std::vector<uint8_t> ResizeWaveData(std::vector<uint8_t> file, uint32_t bytes) {
  const auto data = formats::FindRiffChunk(file, "data");
  if (!data || !*data) throw std::invalid_argument("no \"data\" chunk");
  file.resize((*data)->at + bytes);
  formats::SetLe32(file, (*data)->at - 4, bytes);
  if (bytes & 1) file.push_back(0);
  formats::SetLe32(file, 4, static_cast<uint32_t>(file.size() - 8));
  return file;
}

}  // namespace velmor::testing
