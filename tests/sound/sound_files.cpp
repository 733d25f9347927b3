#include "sound_files.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "formats/byte_writer.h"
#include "formats/midi_writer.h"
#include "formats/wave.h"

namespace velmor::testing {

std::vector<uint8_t> ToneWave(uint32_t ms, uint32_t rate) {
  std::vector<int16_t> samples(static_cast<std::size_t>(uint64_t{rate} * ms / 1000));
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(2000 * std::sin(static_cast<double>(i) * 0.06));
  return formats::WriteWave({rate, 1, 16}, samples);
}

std::vector<uint8_t> NoteMidi(uint32_t ms) {
  formats::MidiTrack track;
  track.Tempo(0, 500000);
  track.ProgramChange(0, 0, 0);
  track.Note(0, ms * 480 / 500, 0, 60, 90);
  track.EndAt(ms * 480 / 500);
  return formats::WriteMidi({0, 480, {track}});
}

std::vector<uint8_t> BogusLengthMidi() {
  std::vector<uint8_t> file = NoteMidi(300);
  formats::SetBe32(file, 14 + 4, 0x7FFFFFF0);  // the track's size, after the header and "MTrk"
  return file;
}

std::vector<uint8_t> TestFile(std::string_view path) {
  const std::string full = std::string(VELMOR_TEST_DATA_DIR) + "/" + std::string(path);
  std::ifstream in(full, std::ios::binary);
  if (!in) throw std::invalid_argument("no test file " + full);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> ResizeWaveData(std::vector<uint8_t> file, uint32_t bytes) {
  const std::string_view tag = "data";
  const auto at = std::search(file.begin(), file.end(), tag.begin(), tag.end(),
                              [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); });
  if (at == file.end()) throw std::invalid_argument("no \"data\" chunk");
  const auto size_at = static_cast<std::size_t>(at - file.begin()) + 4;
  file.resize(size_at + 4 + bytes);
  formats::SetLe32(file, size_at, bytes);
  if (bytes & 1) file.push_back(0);
  formats::SetLe32(file, 4, static_cast<uint32_t>(file.size() - 8));
  return file;
}

}  // namespace velmor::testing
