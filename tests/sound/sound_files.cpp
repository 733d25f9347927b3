#include "sound_files.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "media/midi.h"
#include "media/wave.h"

namespace velmor::testing {

std::vector<uint8_t> ToneWave(uint32_t ms, uint32_t rate) {
  std::vector<int16_t> samples(static_cast<std::size_t>(uint64_t{rate} * ms / 1000));
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(2000 * std::sin(static_cast<double>(i) * 0.06));
  return media::WriteWave({rate, 1, 16}, samples);
}

std::vector<uint8_t> NoteMidi(uint32_t ms) {
  media::MidiTrack track;
  track.Tempo(0, 500000);
  track.ProgramChange(0, 0, 0);
  uint32_t ticks = ms * 480 / 500;
  track.Note(0, ticks, 0, 60, 90);
  track.EndAt(ticks);
  return media::WriteMidi({0, 480, {track}});
}

std::vector<uint8_t> BogusLengthMidi() {
  std::vector<uint8_t> file = NoteMidi(300);
  PokeBe32(file, FindTag(file, "MTrk") + 4, 0x7FFFFFF0);
  return file;
}

void PokeBe32(std::vector<uint8_t>& file, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) file.at(at + i) = static_cast<uint8_t>(value >> (24 - 8 * i));
}

void PokeLe32(std::vector<uint8_t>& file, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) file.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}

std::size_t FindTag(const std::vector<uint8_t>& file, std::string_view tag) {
  auto it = std::search(file.begin(), file.end(), tag.begin(), tag.end(),
                        [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); });
  if (it == file.end()) throw std::invalid_argument("tag not in file");
  return static_cast<std::size_t>(it - file.begin());
}

}  // namespace velmor::testing
