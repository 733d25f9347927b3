#include "platform/sdl/wave_pcm.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string_view>

#include "formats/wave.h"

namespace velmor::platform::sdl {

namespace {

constexpr uint64_t kIntMax = static_cast<uint64_t>(std::numeric_limits<int>::max());

uint64_t Le(const uint8_t* p, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void PutLe(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, std::string_view tag) {
  out.insert(out.end(), tag.begin(), tag.end());
}

// A chunk's body in a checked file ("RIFF" "WAVE" and whole chunks); empty
// when there is none.
std::span<const uint8_t> FindChunk(std::span<const uint8_t> file, std::string_view tag) {
  std::size_t at = 12;
  while (at + 8 <= file.size()) {
    const uint64_t size = Le(&file[at + 4], 4);
    const std::size_t body = at + 8;
    const auto length = static_cast<std::size_t>(std::min<uint64_t>(size, file.size() - body));
    if (std::memcmp(&file[at], tag.data(), 4) == 0) return file.subspan(body, length);
    at = body + length + (size & 1);
  }
  return {};
}

bool IsDoubleFloat(std::span<const uint8_t> fmt) {
  if (fmt.size() < 16) return false;
  auto tag = static_cast<uint16_t>(Le(&fmt[0], 2));
  if (tag == formats::wave_format::kExtensible && fmt.size() >= 26)
    tag = static_cast<uint16_t>(Le(&fmt[24], 2));
  return tag == formats::wave_format::kFloat && Le(&fmt[14], 2) == 64;
}

// SDL's WAVE loader takes floats of 32 bits only: a file of 64-bit floats is
// written anew with 32-bit ones (its first `frames` frames).
std::vector<uint8_t> NarrowDoubles(std::span<const uint8_t> fmt, std::span<const uint8_t> data,
                                   uint64_t frames) {
  const uint64_t channels = std::max<uint64_t>(1, Le(&fmt[2], 2));
  const uint64_t rate = Le(&fmt[4], 4);
  const uint64_t samples = std::min<uint64_t>(frames, data.size() / (8 * channels)) * channels;
  const uint64_t data_size = samples * 4;  // half the 64-bit data: within 32 bits
  std::vector<uint8_t> out;
  out.reserve(44 + data_size);
  PutTag(out, "RIFF");
  PutLe(out, 36 + data_size, 4);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe(out, 16, 4);
  PutLe(out, formats::wave_format::kFloat, 2);
  PutLe(out, channels, 2);
  PutLe(out, rate, 4);
  PutLe(out, std::min<uint64_t>(rate * 4 * channels, 0xFFFFFFFF), 4);
  PutLe(out, 4 * channels, 2);
  PutLe(out, 32, 2);
  PutTag(out, "data");
  PutLe(out, data_size, 4);
  for (uint64_t i = 0; i < samples; ++i) {
    const double d = std::bit_cast<double>(Le(&data[i * 8], 8));
    const float f = std::isfinite(d) ? static_cast<float>(std::clamp(d, -1.0, 1.0)) : 0.0f;
    PutLe(out, std::bit_cast<uint32_t>(f), 4);
  }
  return out;
}

struct FreeWav {
  void operator()(Uint8* samples) const { SDL_FreeWAV(samples); }
};

// What SDL's WAVE loader made of a file.
struct Decoded {
  SDL_AudioSpec sound{};  // rate, sample format, channels
  std::unique_ptr<Uint8, FreeWav> samples;
  Uint32 bytes = 0;
  uint64_t FrameBytes() const {
    return static_cast<uint64_t>(SDL_AUDIO_BITSIZE(sound.format)) / 8 * sound.channels;
  }
};

std::optional<Decoded> Load(std::span<const uint8_t> file, std::string* why) {
  if (file.size() > kIntMax) {
    *why = "WAVE file too large to decode";
    return std::nullopt;
  }
  SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
  if (!rw) {
    *why = SDL_GetError();
    return std::nullopt;
  }
  Decoded d;
  Uint8* samples = nullptr;
  if (!SDL_LoadWAV_RW(rw, 1, &d.sound, &samples, &d.bytes)) {
    *why = std::string("cannot decode the WAVE file: ") + SDL_GetError();
    return std::nullopt;
  }
  d.samples.reset(samples);
  if (d.FrameBytes() == 0 || d.sound.freq <= 0) {
    *why = "cannot decode the WAVE file: unexpected sample format";
    return std::nullopt;
  }
  return d;
}

std::string TooLong(uint64_t frames, int rate) {
  const uint64_t minutes = frames / static_cast<uint64_t>(rate) / 60;
  return "WAVE file too long to play (" + std::to_string(minutes) + " minutes)";
}

// The first `frames` frames of `d` in the output's format.
std::optional<std::vector<uint8_t>> Convert(const Decoded& d, uint64_t frames,
                                            const OutputFormat& format, std::string* why) {
  SDL_AudioCVT cvt;
  const int needed = SDL_BuildAudioCVT(&cvt, d.sound.format, d.sound.channels, d.sound.freq,
                                       AUDIO_S16SYS, static_cast<Uint8>(format.channels),
                                       format.rate);
  if (needed < 0) {
    *why = std::string("cannot convert the WAVE file: ") + SDL_GetError();
    return std::nullopt;
  }
  const Uint8* samples = d.samples.get();
  const uint64_t bytes = frames * d.FrameBytes();
  if (needed == 0) return std::vector<uint8_t>(samples, samples + bytes);
  // SDL converts in place, in a buffer as large as the largest step needs,
  // whose size it keeps in an int.
  const uint64_t work = bytes * static_cast<uint64_t>(std::max(cvt.len_mult, 1));
  if (work > kIntMax) {
    *why = TooLong(frames, d.sound.freq);
    return std::nullopt;
  }
  std::unique_ptr<Uint8[]> buffer(new Uint8[work]);
  std::memcpy(buffer.get(), samples, bytes);
  cvt.buf = buffer.get();
  cvt.len = static_cast<int>(bytes);
  if (SDL_ConvertAudio(&cvt) != 0) {
    *why = std::string("cannot convert the WAVE file: ") + SDL_GetError();
    return std::nullopt;
  }
  const auto size = static_cast<std::size_t>(std::max(cvt.len_cvt, 0));
  return std::vector<uint8_t>(buffer.get(), buffer.get() + size);
}

std::optional<std::vector<uint8_t>> Decode(std::span<const uint8_t> clean, uint64_t frames,
                                           const OutputFormat& format, std::string* why) {
  if (frames == 0) return std::vector<uint8_t>();
  std::vector<uint8_t> narrowed;
  const std::span<const uint8_t> fmt = FindChunk(clean, "fmt ");
  if (IsDoubleFloat(fmt)) {
    narrowed = NarrowDoubles(fmt, FindChunk(clean, "data"), frames);
    clean = narrowed;
  }
  std::optional<Decoded> d = Load(clean, why);
  if (!d) return std::nullopt;
  narrowed = {};
  // ADPCM decodes in whole blocks; the sound ends where the file says.
  const uint64_t keep = std::min<uint64_t>(frames, d->bytes / d->FrameBytes());
  return Convert(*d, keep, format, why);
}

}  // namespace

std::optional<std::vector<uint8_t>> DecodeWaveToPcm(std::span<const uint8_t> clean,
                                                    uint64_t frames, const OutputFormat& format,
                                                    std::string* why) {
  try {
    return Decode(clean, frames, format, why);
  } catch (const std::bad_alloc&) {
    *why = "not enough memory to decode the WAVE file";
    return std::nullopt;
  }
}

}  // namespace velmor::platform::sdl
