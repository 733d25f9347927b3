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

#include "formats/byte_reader.h"
#include "formats/riff.h"
#include "formats/wave.h"

namespace velmor::platform::sdl {

namespace {

constexpr uint64_t kIntMax = static_cast<uint64_t>(std::numeric_limits<int>::max());

std::string TooLong(uint64_t frames, int rate) {
  const uint64_t minutes = frames / static_cast<uint64_t>(rate) / 60;
  return "WAVE file too long to play (" + std::to_string(minutes) + " minutes)";
}

// The body of a chunk of a checked file (empty when there is none).
std::span<const uint8_t> ChunkBody(std::span<const uint8_t> file, std::string_view tag) {
  auto found = formats::FindRiffChunk(file, tag);
  if (!found || !*found) return {};
  return file.subspan((*found)->at, (*found)->size);
}

// Samples as SDL's converter takes them, and what keeps them alive: SDL's
// WAVE loader's buffer, or one of our own.
struct Decoded {
  SDL_AudioSpec sound{};  // rate, sample format, channels
  std::shared_ptr<const Uint8> samples;
  Uint32 bytes = 0;
  uint64_t FrameBytes() const {
    return static_cast<uint64_t>(SDL_AUDIO_BITSIZE(sound.format)) / 8 * sound.channels;
  }
};

// SDL's WAVE loader takes floats of 32 bits only: the first `frames` frames
// of a file of 64-bit floats are narrowed here (clipped to full scale, what
// is not a number silenced) and handed to the converter as they are.
std::optional<Decoded> NarrowDoubles(std::span<const uint8_t> fmt_body,
                                     std::span<const uint8_t> data, uint64_t frames,
                                     std::string* why) {
  formats::ByteReader fmt(fmt_body, 2);
  const uint16_t channels = std::max<uint16_t>(1, fmt.Le16());
  const uint32_t rate = fmt.Le32();
  const uint64_t samples = std::min<uint64_t>(frames, data.size() / (8 * channels)) * channels;
  if (samples * 4 > kIntMax || rate == 0 || rate > kIntMax) {
    *why = rate == 0 || rate > kIntMax ? "cannot decode the WAVE file: unexpected sample rate"
                                       : TooLong(frames, static_cast<int>(rate));
    return std::nullopt;
  }
  auto floats = std::make_shared<std::vector<float>>(samples);
  formats::ByteReader in(data);
  for (float& f : *floats) {
    const uint64_t bits = in.Le64();
    double d;
    std::memcpy(&d, &bits, sizeof d);  // std::bit_cast, which older libc++ lacks
    f = std::isfinite(d) ? static_cast<float>(std::clamp(d, -1.0, 1.0)) : 0.0f;
  }
  Decoded out;
  out.sound.freq = static_cast<int>(rate);
  out.sound.format = AUDIO_F32SYS;
  out.sound.channels = static_cast<Uint8>(std::min<uint16_t>(channels, 255));
  out.bytes = static_cast<Uint32>(samples * 4);
  out.samples = std::shared_ptr<const Uint8>(
      floats, reinterpret_cast<const Uint8*>(floats->data()));
  return out;
}

bool IsDoubleFloat(std::span<const uint8_t> fmt_body) {
  formats::ByteReader fmt(fmt_body);
  uint16_t tag = fmt.Le16();
  fmt.Skip(12);
  const uint16_t bits = fmt.Le16();
  if (!fmt.ok()) return false;
  if (tag == formats::wave_format::kExtensible) {
    fmt.Skip(8);
    const uint16_t sub = fmt.Le16();
    if (fmt.ok()) tag = sub;
  }
  return tag == formats::wave_format::kFloat && bits == 64;
}

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
  d.samples = std::shared_ptr<const Uint8>(samples, [](const Uint8* p) {
    SDL_FreeWAV(const_cast<Uint8*>(p));
  });
  if (d.FrameBytes() == 0 || d.sound.freq <= 0) {
    *why = "cannot decode the WAVE file: unexpected sample format";
    return std::nullopt;
  }
  return d;
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
  const std::span<const uint8_t> fmt = ChunkBody(clean, "fmt ");
  std::optional<Decoded> d;
  if (IsDoubleFloat(fmt)) {
    d = NarrowDoubles(fmt, ChunkBody(clean, "data"), frames, why);
  } else {
    d = Load(clean, why);
  }
  if (!d) return std::nullopt;
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
