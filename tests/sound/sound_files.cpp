#include "sound_files.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

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

namespace {

void PutLe16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}
void PutTag(std::vector<uint8_t>& out, std::string_view tag) {
  out.insert(out.end(), tag.begin(), tag.end());
}

// "RIFF" "WAVE" with the given "fmt " body, a "fact" chunk when asked for,
// and the data.
std::vector<uint8_t> AdpcmFile(const AdpcmFormat& format, const std::vector<uint8_t>& fmt,
                               const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  PutTag(out, "RIFF");
  PutLe32(out, 0);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe32(out, static_cast<uint32_t>(fmt.size()));
  out.insert(out.end(), fmt.begin(), fmt.end());
  if (format.fact) {
    PutTag(out, "fact");
    PutLe32(out, 4);
    PutLe32(out, *format.fact);
  }
  PutTag(out, "data");
  PutLe32(out, static_cast<uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() & 1) out.push_back(0);
  PokeLe32(out, 4, static_cast<uint32_t>(out.size() - 8));
  return out;
}

std::vector<uint8_t> AdpcmFmt(uint16_t tag, const AdpcmFormat& format, uint32_t per_block) {
  std::vector<uint8_t> f;
  PutLe16(f, tag);
  PutLe16(f, format.channels);
  PutLe32(f, format.rate);
  PutLe32(f, static_cast<uint32_t>(uint64_t{format.rate} * format.block_align / per_block));
  PutLe16(f, format.block_align);
  PutLe16(f, 4);  // bits a sample
  return f;
}

int16_t Clamp16(int32_t v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

constexpr int kImaIndexStep[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kImaSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// One IMA ADPCM channel: the nibble for a sample, and the decoder's answer.
struct ImaChannel {
  int32_t predicted = 0;
  int index = 0;

  uint8_t Encode(int16_t sample) {
    int step = kImaSteps[index];
    int32_t diff = sample - predicted;
    uint8_t nibble = 0;
    if (diff < 0) nibble = 8, diff = -diff;
    for (int bit = 4; bit > 0; bit >>= 1, step >>= 1) {
      if (diff >= step) nibble |= static_cast<uint8_t>(bit), diff -= step;
    }
    Decode(nibble);
    return nibble;
  }
  void Decode(uint8_t nibble) {
    int step = kImaSteps[index];
    int32_t delta = step >> 3;
    if (nibble & 4) delta += step;
    if (nibble & 2) delta += step >> 1;
    if (nibble & 1) delta += step >> 2;
    predicted = Clamp16(predicted + ((nibble & 8) ? -delta : delta));
    index = std::clamp(index + kImaIndexStep[nibble], 0, 88);
  }
};

// The sample at frame `i` of channel `c`, silence past the end.
int16_t SampleAt(std::span<const int16_t> samples, uint16_t channels, std::size_t i, uint16_t c) {
  std::size_t at = i * channels + c;
  return at < samples.size() ? samples[at] : 0;
}

// The sample frames a full block of the layout holds.
uint32_t ImaSamplesPerBlock(const AdpcmFormat& format) {
  return (format.block_align - 4u * format.channels) * 2u / format.channels + 1;
}
uint32_t MsSamplesPerBlock(const AdpcmFormat& format) {
  return (format.block_align - 7u * format.channels) * 2u / format.channels + 2;
}

}  // namespace

std::vector<uint8_t> ImaAdpcmWave(const AdpcmFormat& format, std::span<const int16_t> samples,
                                  std::vector<int16_t>* decoded) {
  const uint16_t ch = format.channels;
  const uint32_t per_block = ImaSamplesPerBlock(format);
  if ((format.block_align - 4u * ch) % (4u * ch) != 0)
    throw std::invalid_argument("ImaAdpcmWave: blocks of whole 4-byte runs only");
  const std::size_t frames = samples.size() / ch;
  const std::size_t blocks = (frames + per_block - 1) / per_block;
  std::vector<ImaChannel> state(ch);
  std::vector<uint8_t> data;
  if (decoded) decoded->clear();
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::size_t first = b * per_block;
    std::vector<int16_t> out(std::size_t{per_block} * ch);
    for (uint16_t c = 0; c < ch; ++c) {
      // The header: the block's first sample as it is, and the step index.
      int16_t s = SampleAt(samples, ch, first, c);
      state[c].predicted = s;
      out[c] = s;
      PutLe16(data, static_cast<uint16_t>(s));
      data.push_back(static_cast<uint8_t>(state[c].index));
      data.push_back(0);
    }
    // Runs of 8 samples: 4 bytes of each channel in turn, low nibble first.
    for (uint32_t run = 1; run < per_block; run += 8) {
      for (uint16_t c = 0; c < ch; ++c) {
        for (uint32_t k = 0; k < 8; k += 2) {
          uint8_t lo = state[c].Encode(SampleAt(samples, ch, first + run + k, c));
          out[(run + k) * ch + c] = static_cast<int16_t>(state[c].predicted);
          uint8_t hi = state[c].Encode(SampleAt(samples, ch, first + run + k + 1, c));
          out[(run + k + 1) * ch + c] = static_cast<int16_t>(state[c].predicted);
          data.push_back(static_cast<uint8_t>(lo | (hi << 4)));
        }
      }
    }
    if (decoded) decoded->insert(decoded->end(), out.begin(), out.end());
  }
  std::vector<uint8_t> fmt = AdpcmFmt(0x11, format, per_block);
  PutLe16(fmt, 2);  // extra bytes
  PutLe16(fmt, per_block);
  return AdpcmFile(format, fmt, data);
}

std::vector<uint8_t> MsAdpcmWave(const AdpcmFormat& format, std::span<const int16_t> samples,
                                 std::vector<int16_t>* decoded) {
  static constexpr int kAdapt[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                     768, 614, 512, 409, 307, 230, 230, 230};
  static constexpr int16_t kPredictors[14] = {256, 0,   512, -256, 0,   0,    192,
                                              64,  240, 0,   460,  -208, 392, -232};
  const uint16_t ch = format.channels;
  if (ch < 1 || ch > 2) throw std::invalid_argument("MsAdpcmWave: 1 or 2 channels");
  const uint32_t per_block = MsSamplesPerBlock(format);
  const std::size_t frames = samples.size() / ch;
  const std::size_t blocks = (frames + per_block - 1) / per_block;
  std::vector<int32_t> delta(ch, 16);
  std::vector<uint8_t> data;
  if (decoded) decoded->clear();
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::size_t first = b * per_block;
    const std::size_t block_start = data.size();
    std::vector<int16_t> out(std::size_t{per_block} * ch);
    // The header: predictor 0 (the new sample is the last one plus the
    // error), the step, then the second and the first sample.
    for (uint16_t c = 0; c < ch; ++c) data.push_back(0);
    for (uint16_t c = 0; c < ch; ++c) PutLe16(data, static_cast<uint16_t>(delta[c]));
    for (uint16_t c = 0; c < ch; ++c)
      PutLe16(data, static_cast<uint16_t>(SampleAt(samples, ch, first + 1, c)));
    for (uint16_t c = 0; c < ch; ++c)
      PutLe16(data, static_cast<uint16_t>(SampleAt(samples, ch, first, c)));
    std::vector<int32_t> last(ch);
    for (uint16_t c = 0; c < ch; ++c) {
      out[c] = SampleAt(samples, ch, first, c);
      out[ch + c] = SampleAt(samples, ch, first + 1, c);
      last[c] = out[ch + c];
    }
    // Nibbles of all channels in turn, high nibble first.
    bool high = true;
    for (uint32_t i = 2; i < per_block; ++i) {
      for (uint16_t c = 0; c < ch; ++c) {
        int32_t error = SampleAt(samples, ch, first + i, c) - last[c];
        int32_t code = std::clamp((error + (error >= 0 ? delta[c] / 2 : -delta[c] / 2)) / delta[c],
                                  -8, 7);
        auto nibble = static_cast<uint8_t>(code & 0xF);
        last[c] = Clamp16(last[c] + code * delta[c]);
        out[i * ch + c] = static_cast<int16_t>(last[c]);
        delta[c] = std::clamp(delta[c] * kAdapt[nibble] / 256, 16, 0xFFFF);
        if (high)
          data.push_back(static_cast<uint8_t>(nibble << 4));
        else
          data.back() |= nibble;
        high = !high;
      }
    }
    data.resize(block_start + format.block_align, 0);
    if (decoded) decoded->insert(decoded->end(), out.begin(), out.end());
  }
  std::vector<uint8_t> fmt = AdpcmFmt(2, format, per_block);
  PutLe16(fmt, 32);  // extra bytes: samples a block, the table's size, the table
  PutLe16(fmt, per_block);
  PutLe16(fmt, 7);
  for (int16_t p : kPredictors) PutLe16(fmt, static_cast<uint16_t>(p));
  return AdpcmFile(format, fmt, data);
}

std::vector<uint8_t> CutWaveData(std::vector<uint8_t> file, uint32_t bytes) {
  std::size_t size_at = FindTag(file, "data") + 4;
  file.resize(size_at + 4 + bytes);
  PokeLe32(file, size_at, bytes);
  if (bytes & 1) file.push_back(0);
  PokeLe32(file, 4, static_cast<uint32_t>(file.size() - 8));
  return file;
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
