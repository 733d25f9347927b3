#include "sound_files.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "formats/midi_writer.h"
#include "formats/wave.h"

namespace velmor::testing {
namespace {

void PokeLe32(std::vector<uint8_t>& file, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) file.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}

std::size_t FindTag(const std::vector<uint8_t>& file, std::string_view tag) {
  auto it = std::search(file.begin(), file.end(), tag.begin(), tag.end(),
                        [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); });
  if (it == file.end()) throw std::invalid_argument("tag not in file");
  return static_cast<std::size_t>(it - file.begin());
}

}  // namespace

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
  uint32_t ticks = ms * 480 / 500;
  track.Note(0, ticks, 0, 60, 90);
  track.EndAt(ticks);
  return formats::WriteMidi({0, 480, {track}});
}

std::vector<uint8_t> BogusLengthMidi() {
  std::vector<uint8_t> file = NoteMidi(300);
  const std::size_t at = FindTag(file, "MTrk") + 4;  // the size, big-endian: 0x7FFFFFF0
  file.at(at) = 0x7F, file.at(at + 1) = 0xFF, file.at(at + 2) = 0xFF, file.at(at + 3) = 0xF0;
  return file;
}

std::vector<int16_t> ToneSamples(std::size_t frames, uint16_t channels) {
  std::vector<int16_t> samples(frames * channels);
  for (std::size_t i = 0; i < frames; ++i)
    for (uint16_t c = 0; c < channels; ++c)
      samples[i * channels + c] =
          static_cast<int16_t>(12000 * std::sin(static_cast<double>(i) * 0.05 * (c + 1)));
  return samples;
}

std::vector<uint8_t> TestFile(std::string_view path) {
  const std::string full = std::string(VELMOR_TEST_DATA_DIR) + "/" + std::string(path);
  std::ifstream in(full, std::ios::binary);
  if (!in) throw std::invalid_argument("no test file " + full);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> ResizeWaveData(std::vector<uint8_t> file, uint32_t bytes) {
  std::size_t size_at = FindTag(file, "data") + 4;
  file.resize(size_at + 4 + bytes);
  PokeLe32(file, size_at, bytes);
  if (bytes & 1) file.push_back(0);
  PokeLe32(file, 4, static_cast<uint32_t>(file.size() - 8));
  return file;
}

}  // namespace velmor::testing
