#include "platform/sdl/wave_pcm.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <numeric>
#include <new>
#include <string_view>

#include "core/texts.h"
#include "formats/byte_reader.h"
#include "formats/byte_writer.h"
#include "formats/riff.h"
#include "formats/wave.h"

namespace velmor::platform::sdl {

namespace {

constexpr uint64_t kIntMax = static_cast<uint64_t>(std::numeric_limits<int>::max());

std::string TooLong(uint64_t frames, int rate) {
  const uint64_t minutes = frames / static_cast<uint64_t>(rate) / 60;
  return Fill(Tr("WAVE file too long to play (%s minutes)"), {std::to_string(minutes)});
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
    *why = rate == 0 || rate > kIntMax
               ? std::string(Tr("cannot decode the WAVE file: unexpected sample rate"))
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
    *why = Tr("WAVE file too large to decode");
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
    *why = Fill(Tr("cannot decode the WAVE file: %s"), {SDL_GetError()});
    return std::nullopt;
  }
  d.samples = std::shared_ptr<const Uint8>(samples, [](const Uint8* p) {
    SDL_FreeWAV(const_cast<Uint8*>(p));
  });
  if (d.FrameBytes() == 0 || d.sound.freq <= 0) {
    *why = Tr("cannot decode the WAVE file: unexpected sample format");
    return std::nullopt;
  }
  return d;
}

// Frames [from, from + frames) of `d` in the output's format, converted on
// their own (as if nothing came before or after them).
std::optional<std::vector<uint8_t>> Convert(const Decoded& d, uint64_t from, uint64_t frames,
                                            const OutputFormat& format, std::string* why) {
  SDL_AudioCVT cvt;
  const int needed = SDL_BuildAudioCVT(&cvt, d.sound.format, d.sound.channels, d.sound.freq,
                                       AUDIO_S16SYS, static_cast<Uint8>(format.channels),
                                       format.rate);
  if (needed < 0) {
    *why = Fill(Tr("cannot convert the WAVE file: %s"), {SDL_GetError()});
    return std::nullopt;
  }
  const Uint8* samples = d.samples.get() + from * d.FrameBytes();
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
    *why = Fill(Tr("cannot convert the WAVE file: %s"), {SDL_GetError()});
    return std::nullopt;
  }
  const auto size = static_cast<std::size_t>(std::max(cvt.len_cvt, 0));
  return std::vector<uint8_t>(buffer.get(), buffer.get() + size);
}

// The samples of a file as the converter takes them, up to the frames kept.
std::optional<Decoded> DecodeSource(std::span<const uint8_t> clean, uint64_t frames,
                                    std::string* why) {
  const std::span<const uint8_t> fmt = ChunkBody(clean, "fmt ");
  std::optional<Decoded> d = IsDoubleFloat(fmt) ? NarrowDoubles(fmt, ChunkBody(clean, "data"), frames, why)
                                                : Load(clean, why);
  if (!d) return std::nullopt;
  // ADPCM decodes in whole blocks; the sound ends where the file says.
  d->bytes = static_cast<Uint32>(std::min<uint64_t>(frames, d->bytes / d->FrameBytes()) *
                                 d->FrameBytes());
  return d;
}

// Output frames made from each piece of the file converted, at least.
constexpr uint64_t kPieceFrames = 4096;

}  // namespace

// Mended: a piece was converted whole when it opened, so a 6 KB file at
// 1 Hz took 1.6 GB at the output's rate.
//
// The file is converted a piece at a time, each with a margin of the frames
// around it that SDL's resampler looks at (a few of the slower rate's
// frames each side); only the piece's own frames are kept. Pieces start on
// the frames where the two rates meet (every rate / gcd frames), so that
// each output frame falls where it falls in the whole conversion.
struct WaveStream::Source {
  std::shared_ptr<formats::ByteSource> file;  // the clean file
  std::vector<uint8_t> fmt;                   // its "fmt " chunk's body
  uint64_t data_at = 0;                       // its sound data in the clean file
  uint64_t data_size = 0;
  bool doubles = false;       // 64-bit floats, narrowed here
  uint64_t block_bytes = 1;   // the data decodes a block at a time, each
  uint64_t block_frames = 1;  // into this many frames
  SDL_AudioSpec sound{};      // what the decoder gives
  uint64_t frames = 0;  // of the file, decoded
  uint64_t period = 1;  // the file's frames between two where the rates meet
  uint64_t period_out = 1;
  uint64_t piece = 1;   // the file's frames converted at once, margins aside
  uint64_t margin = 0;
  uint64_t OutputAt(uint64_t frame) const { return frame / period * period_out; }
  uint64_t FrameBytes() const {
    return static_cast<uint64_t>(SDL_AUDIO_BITSIZE(sound.format)) / 8 * sound.channels;
  }
  // The blocks [first, first + count) decoded on their own.
  std::optional<Decoded> DecodeBlocks(uint64_t first, uint64_t count, std::string* why) const;
  // Frames [from, from + count) decoded: the blocks that hold them, and only
  // those frames of them.
  std::optional<Decoded> DecodeFrames(uint64_t from, uint64_t count, std::string* why) const;
};

std::optional<Decoded> WaveStream::Source::DecodeBlocks(uint64_t first, uint64_t count,
                                                        std::string* why) const {
  const uint64_t at = std::min(data_size, first * block_bytes);
  const uint64_t bytes = std::min(data_size - at, count * block_bytes);
  std::vector<uint8_t> data(static_cast<std::size_t>(bytes));
  if (!file->ReadAt(data_at + at, data)) {
    *why = Tr("cannot read the WAVE file");
    return std::nullopt;
  }
  if (doubles) return NarrowDoubles(fmt, data, count * block_frames, why);
  // The blocks as a WAVE file of their own, for SDL's loader: each decodes
  // on its own, so they give what they give in the whole file.
  std::vector<uint8_t> wave;
  wave.reserve(12 + 8 + fmt.size() + 1 + 8 + data.size() + 1);
  formats::PutTag(wave, "RIFF");
  formats::PutLe32(wave, 0);
  formats::PutTag(wave, "WAVE");
  formats::PutRiffChunk(wave, "fmt ", fmt);
  formats::PutRiffChunk(wave, "data", data);
  formats::SetLe32(wave, 4, static_cast<uint32_t>(wave.size() - 8));
  data = {};
  return Load(wave, why);
}

std::optional<Decoded> WaveStream::Source::DecodeFrames(uint64_t from, uint64_t count,
                                                        std::string* why) const {
  const uint64_t first = from / block_frames;
  const uint64_t end = (from + count + block_frames - 1) / block_frames;
  std::optional<Decoded> d = DecodeBlocks(first, end - first, why);
  if (!d) return std::nullopt;
  const uint64_t skip = from - first * block_frames;
  const uint64_t have = d->bytes / d->FrameBytes();
  if (d->FrameBytes() != FrameBytes() || have < skip + count) {
    *why = Tr("the WAVE file changed while it played");
    return std::nullopt;
  }
  d->samples = std::shared_ptr<const Uint8>(d->samples, d->samples.get() + skip * FrameBytes());
  d->bytes = static_cast<Uint32>(count * FrameBytes());
  return d;
}

WaveStream::WaveStream(std::unique_ptr<Source> source, const OutputFormat& format)
    : source_(std::move(source)), format_(format) {
  Source& s = *source_;
  const auto in = static_cast<uint64_t>(std::max(s.sound.freq, 1));
  const auto out = static_cast<uint64_t>(format.rate);
  frames_ = s.frames * out / in;
  const uint64_t g = std::gcd(in, out);
  s.period = in / g;
  s.period_out = out / g;
  s.piece = s.period * std::max<uint64_t>(1, kPieceFrames / s.period_out);
  // SDL's filter spans five zero crossings of the slower rate each side.
  const uint64_t reach = 6 * std::max<uint64_t>(1, (in + out - 1) / out) + 2;
  s.margin = (reach + s.period - 1) / s.period * s.period;
}

WaveStream::~WaveStream() = default;

std::unique_ptr<WaveStream> WaveStream::Open(std::span<const uint8_t> clean, uint64_t frames,
                                             const OutputFormat& format, std::string* why) {
  try {
    return Open(std::make_shared<formats::MemorySource>(
                    std::vector<uint8_t>(clean.begin(), clean.end())),
                frames, format, why);
  } catch (const std::bad_alloc&) {
    *why = Tr("not enough memory to decode the WAVE file");
    return nullptr;
  }
}

namespace {

// Where the "fmt " chunk and the sound data of a clean file lie (see
// formats::WaveSummary::clean: "RIFF", "WAVE", "fmt ", "data").
bool FindCleanParts(formats::ByteSource& file, std::vector<uint8_t>* fmt, uint64_t* data_at,
                    uint64_t* data_size) {
  uint8_t head[20];
  if (!file.ReadAt(0, head)) return false;
  const uint32_t fmt_size = formats::ByteReader(std::span<const uint8_t>(head), 16).Le32();
  fmt->resize(fmt_size);
  uint8_t data_head[8];
  const uint64_t data_header = 20 + uint64_t{fmt_size} + (fmt_size & 1);
  if (!file.ReadAt(20, *fmt) || !file.ReadAt(data_header, data_head)) return false;
  *data_at = data_header + 8;
  *data_size = std::min<uint64_t>(formats::ByteReader(std::span<const uint8_t>(data_head), 4).Le32(),
                                  file.Size() - std::min(file.Size(), *data_at));
  return true;
}

}  // namespace

std::unique_ptr<WaveStream> WaveStream::Open(std::shared_ptr<formats::ByteSource> clean,
                                             uint64_t frames, const OutputFormat& format,
                                             std::string* why) {
  try {
    auto source = std::make_unique<Source>();
    Source& s = *source;
    s.file = std::move(clean);
    if (frames != 0) {
      if (!FindCleanParts(*s.file, &s.fmt, &s.data_at, &s.data_size)) {
        *why = Tr("cannot decode the WAVE file: it cannot be read");
        return nullptr;
      }
      formats::ByteReader fmt(s.fmt);
      const uint16_t tag = fmt.Le16();
      const uint16_t channels = std::max<uint16_t>(1, fmt.Le16());
      fmt.Skip(8);
      const uint16_t align = fmt.Le16();
      const uint16_t bits = fmt.Le16();
      const bool adpcm = formats::IsAdpcm(tag);
      s.doubles = IsDoubleFloat(s.fmt);
      s.block_bytes = adpcm ? std::max<uint16_t>(align, 1) : uint64_t{channels} * std::max(bits / 8, 1);
      // The first block tells what the decoder gives, and how many frames
      // a block holds.
      std::optional<Decoded> first = s.DecodeBlocks(0, 1, why);
      if (!first) return nullptr;
      s.sound = first->sound;
      if (adpcm) s.block_frames = std::max<uint64_t>(1, first->bytes / first->FrameBytes());
      s.frames = std::min(frames, s.data_size / s.block_bytes * s.block_frames);
      // What SDL cannot convert is known before the piece plays.
      SDL_AudioCVT cvt;
      const SDL_AudioSpec& in = s.sound;
      if (format.channels <= 0 || format.rate <= 0 ||
          SDL_BuildAudioCVT(&cvt, in.format, in.channels, in.freq, AUDIO_S16SYS,
                            static_cast<Uint8>(format.channels), format.rate) < 0) {
        *why = Fill(Tr("cannot convert the WAVE file: %s"), {SDL_GetError()});
        return nullptr;
      }
    }
    return std::unique_ptr<WaveStream>(new WaveStream(std::move(source), format));
  } catch (const std::bad_alloc&) {
    *why = Tr("not enough memory to decode the WAVE file");
    return nullptr;
  }
}

void WaveStream::Rewind() {
  given_ = fed_ = 0;
  pending_.clear();
  pending_at_ = 0;
}

void WaveStream::Seek(uint64_t frame) {
  Rewind();
  const Source& s = *source_;
  if (frame >= frames_ || s.frames == 0) {
    given_ = frames_;
    fed_ = s.frames;
    return;
  }
  // The piece that holds the frame, cut where reading from the start cuts
  // it (every s.piece of the file's frames), so its samples come out the same.
  const uint64_t out_per_piece = s.piece / s.period * s.period_out;
  const uint64_t piece = std::min(frame / out_per_piece, (s.frames - 1) / s.piece);
  fed_ = piece * s.piece;
  const uint64_t piece_at = s.OutputAt(fed_);
  if (frame == 0 || !Feed()) return;
  pending_at_ = std::min<std::size_t>(
      pending_.size(), static_cast<std::size_t>((frame - piece_at) * format_.FrameBytes()));
  given_ = frame;
}

bool WaveStream::Feed() {
  const Source& s = *source_;
  if (fed_ >= s.frames) return false;
  const uint64_t end = std::min(s.frames, fed_ + s.piece);
  const uint64_t from = fed_ >= s.margin ? fed_ - s.margin : 0;
  const uint64_t to = std::min(s.frames, end + s.margin);
  std::string why;
  std::optional<std::vector<uint8_t>> converted;
  std::size_t decoded_bytes = 0;
  try {
    // A file that cannot be read now (changed or gone) plays silence.
    if (std::optional<Decoded> d = s.DecodeFrames(from, to - from, &why)) {
      decoded_bytes = d->bytes;
      converted = Convert(*d, 0, to - from, format_, &why);
    }
  } catch (const std::bad_alloc&) {
  }
  const auto frame_bytes = static_cast<uint64_t>(format_.FrameBytes());
  // The piece's own frames: from where fed_ falls to where `end` does (the
  // whole rest at the file's end).
  const uint64_t first = s.OutputAt(fed_) - s.OutputAt(from);
  const uint64_t count =
      (end == s.frames ? frames_ : s.OutputAt(end)) - s.OutputAt(fed_);
  pending_.assign(count * frame_bytes, 0);  // silence where SDL gave nothing
  if (converted && converted->size() > first * frame_bytes) {
    const uint64_t have = std::min<uint64_t>(converted->size() - first * frame_bytes,
                                             pending_.size());
    std::memcpy(pending_.data(), converted->data() + first * frame_bytes, have);
  }
  most_held_ = std::max(most_held_,
                        pending_.size() + (converted ? converted->size() : 0) + decoded_bytes);
  pending_at_ = 0;
  fed_ = end;
  return true;
}

std::size_t WaveStream::Read(uint8_t* out, std::size_t bytes) {
  const auto frame_bytes = static_cast<std::size_t>(format_.FrameBytes());
  const std::size_t want = static_cast<std::size_t>(
      std::min<uint64_t>(bytes / frame_bytes, frames_ - given_) * frame_bytes);
  std::size_t done = 0;
  while (done < want) {
    if (pending_at_ == pending_.size() && !Feed()) break;
    const std::size_t n = std::min(want - done, pending_.size() - pending_at_);
    std::memcpy(out + done, pending_.data() + pending_at_, n);
    pending_at_ += n;
    done += n;
  }
  std::memset(out + done, 0, want - done);
  given_ += want / frame_bytes;
  return want;
}

std::optional<std::vector<uint8_t>> DecodeWaveToPcm(std::span<const uint8_t> clean,
                                                    uint64_t frames, const OutputFormat& format,
                                                    std::string* why) {
  try {
    if (frames == 0) return std::vector<uint8_t>();
    std::optional<Decoded> d = DecodeSource(clean, frames, why);
    if (!d) return std::nullopt;
    return Convert(*d, 0, d->bytes / d->FrameBytes(), format, why);
  } catch (const std::bad_alloc&) {
    *why = Tr("not enough memory to decode the WAVE file");
    return std::nullopt;
  }
}

}  // namespace velmor::platform::sdl
