#include "media/wave.h"

#include <stdexcept>

#include "media/bytes.h"

namespace velmor::media {

using detail::Le16;
using detail::Le32;
using detail::PutLe16;
using detail::PutLe32;
using detail::PutTag;

std::vector<uint8_t> WriteWave(const WaveFormat& format, std::span<const int16_t> samples) {
  if (format.channels != 1 && format.channels != 2)
    throw std::invalid_argument("WriteWave: 1 or 2 channels");
  if (format.bits != 8 && format.bits != 16) throw std::invalid_argument("WriteWave: 8 or 16 bits");
  if (format.sample_rate == 0) throw std::invalid_argument("WriteWave: no sample rate");
  if (samples.size() % format.channels != 0)
    throw std::invalid_argument("WriteWave: samples are not whole frames");

  const uint32_t block_align = format.channels * (format.bits / 8u);
  const auto data_size = static_cast<uint32_t>(samples.size() * (format.bits / 8u));
  const uint32_t pad = data_size & 1;

  std::vector<uint8_t> out;
  out.reserve(44 + data_size + pad);
  PutTag(out, "RIFF");
  PutLe32(out, 4 + (8 + 16) + (8 + data_size + pad));
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe32(out, 16);
  PutLe16(out, 1);  // PCM
  PutLe16(out, format.channels);
  PutLe32(out, format.sample_rate);
  PutLe32(out, format.sample_rate * block_align);
  PutLe16(out, block_align);
  PutLe16(out, format.bits);
  PutTag(out, "data");
  PutLe32(out, data_size);
  for (int16_t s : samples) {
    if (format.bits == 8) {
      out.push_back(static_cast<uint8_t>((s >> 8) + 128));
    } else {
      PutLe16(out, static_cast<uint16_t>(s));
    }
  }
  if (pad) out.push_back(0);
  return out;
}

std::optional<WaveInfo> ReadWaveInfo(std::span<const uint8_t> b, std::string* error) {
  auto fail = [error](const char* why) -> std::optional<WaveInfo> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (b.size() < 12 || !detail::HasTag(b, 0, "RIFF") || !detail::HasTag(b, 8, "WAVE"))
    return fail("not a WAVE file");
  WaveInfo info;
  info.riff_size = Le32(&b[4]);
  bool have_format = false, have_data = false;
  std::size_t at = 12;
  while (at + 8 <= b.size() && !(have_format && have_data)) {
    const uint32_t size = Le32(&b[at + 4]);
    const std::size_t body = at + 8;
    if (body + size > b.size()) return fail("chunk cut short");
    if (detail::HasTag(b, at, "fmt ")) {
      if (size < 16) return fail("format chunk too short");
      info.format_tag = Le16(&b[body]);
      info.format.channels = Le16(&b[body + 2]);
      info.format.sample_rate = Le32(&b[body + 4]);
      info.byte_rate = Le32(&b[body + 8]);
      info.block_align = Le16(&b[body + 12]);
      info.format.bits = Le16(&b[body + 14]);
      have_format = true;
    } else if (detail::HasTag(b, at, "data")) {
      info.data_offset = static_cast<uint32_t>(body);
      info.data_size = size;
      have_data = true;
    }
    at = body + size + (size & 1);
  }
  if (!have_format) return fail("no format chunk");
  if (!have_data) return fail("no data chunk");
  return info;
}

}  // namespace velmor::media
