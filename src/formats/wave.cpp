#include "formats/wave.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/texts.h"
#include "formats/byte_writer.h"
#include "formats/riff.h"

namespace velmor::formats {

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

uint32_t RoundUpMs(uint64_t numerator, uint64_t denominator) {
  uint64_t ms = (numerator + denominator - 1) / denominator;
  return static_cast<uint32_t>(std::min<uint64_t>(ms, std::numeric_limits<uint32_t>::max()));
}

// The WAVE encodings the decoder sounds, with their sample widths.
bool EncodingPlayable(uint16_t tag, uint16_t bits) {
  switch (tag) {
    case wave_format::kPcm:
      return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case wave_format::kFloat:
      return bits == 32 || bits == 64;
    case wave_format::kALaw:
    case wave_format::kMuLaw:
      return bits == 8;
    case wave_format::kMsAdpcm:
    case wave_format::kImaAdpcm:
      return bits == 4;
    default:
      return false;
  }
}

// The seven predictor pairs every MS ADPCM file starts its table with; the
// decoder takes no other.
constexpr int16_t kMsAdpcmStandardPredictors[14] = {256, 0,   512, -256, 0,    0,   192,
                                                    64,  240, 0,   460,  -208, 392, -232};

// An ADPCM file's block layout, from its "fmt " chunk.
struct AdpcmLayout {
  std::size_t header = 0;  // bytes of a block header (all channels)
  uint32_t samples_per_block = 0;
  uint32_t predictors = 0;  // MS ADPCM: entries of the predictor table
};

// The extra bytes of a "fmt " chunk (its cbSize).
uint16_t ExtraBytes(std::span<const uint8_t> fmt) { return fmt.size() >= 18 ? Le16(&fmt[16]) : 0; }

// The MS ADPCM part of a "fmt " chunk: its predictor table must be the
// standard one. The layout's header and predictors are set.
FormatResult<AdpcmLayout> MsAdpcmLayout(std::span<const uint8_t> fmt, bool extensible,
                                        const WaveSummary& w) {
  if (extensible)
    return Fault(Tr("unsupported WAVE encoding (MS ADPCM in an extensible \"fmt \" chunk)"));
  if (w.channels > 2)
    return Fault(Fill(Tr("unsupported WAVE file: MS ADPCM with %s channels"),
                      {std::to_string(w.channels)}));
  if (fmt.size() < 22) return Fault(Tr("damaged WAVE file: the MS ADPCM \"fmt \" chunk is too short"));
  uint32_t count = Le16(&fmt[20]);
  if (count < 7)
    return Fault(Fill(Tr("damaged WAVE file: MS ADPCM predictor table of %s entries (at least 7)"),
                      {std::to_string(count)}));
  // A block names its predictor in one byte: entries past 256 are never used.
  count = std::min<uint32_t>(count, 256);
  if (fmt.size() < 22 + std::size_t{4} * count || ExtraBytes(fmt) < 4 + 4 * count)
    return Fault(Tr("damaged WAVE file: the MS ADPCM predictor table runs past the \"fmt \" chunk"));
  for (int i = 0; i < 14; ++i) {
    if (static_cast<int16_t>(Le16(&fmt[22 + 2 * i])) != kMsAdpcmStandardPredictors[i])
      return Fault(Tr("damaged WAVE file: the MS ADPCM predictor table is not the standard one"));
  }
  AdpcmLayout layout;
  layout.predictors = count;
  layout.header = std::size_t{7} * w.channels;
  return layout;
}

// The IMA ADPCM part of a "fmt " chunk: blocks of whole 4-byte words. The
// layout's header is set.
FormatResult<AdpcmLayout> ImaAdpcmLayout(std::span<const uint8_t> fmt, bool extensible,
                                         const WaveSummary& w) {
  if (extensible && ExtraBytes(fmt) < 22)
    return Fault(Tr("damaged WAVE file: the extensible \"fmt \" chunk is too short"));
  if (w.block_align % 4 != 0)
    return Fault(Fill(Tr("damaged WAVE file: IMA ADPCM blocks of %s bytes (not a multiple of 4)"),
                      {std::to_string(w.block_align)}));
  AdpcmLayout layout;
  layout.header = std::size_t{4} * w.channels;
  return layout;
}

// Checks the "fmt " chunk of an ADPCM file (`w` holds its encoding, channels
// and block size): the block holds its header and the samples it announces.
FormatResult<AdpcmLayout> CheckAdpcmFormat(std::span<const uint8_t> fmt, bool extensible,
                                           const WaveSummary& w) {
  auto layout = w.format_tag == wave_format::kMsAdpcm ? MsAdpcmLayout(fmt, extensible, w)
                                                      : ImaAdpcmLayout(fmt, extensible, w);
  if (!layout) return layout;
  const std::string block_bytes = std::to_string(w.block_align);
  if (w.block_align < layout->header)
    return Fault(Fill(Tr("damaged WAVE file: ADPCM blocks of %s bytes cannot hold their header"),
                      {block_bytes}));
  // Samples a channel has in the nibbles after the header.
  const std::size_t nibble_bytes = w.block_align - layout->header;
  const auto in_nibbles = static_cast<uint32_t>(nibble_bytes * 2 / w.channels);
  // The header holds two samples of each channel (MS) or one (IMA).
  const uint32_t in_header = w.format_tag == wave_format::kMsAdpcm ? 2 : 1;
  uint32_t per_block = 0;
  if (fmt.size() >= 20 && ExtraBytes(fmt) >= 2) per_block = Le16(&fmt[18]);
  if (per_block == 0) per_block = in_nibbles + in_header;  // unset: a full block
  bool fits = per_block >= in_header && per_block - in_header <= in_nibbles;
  if (w.format_tag == wave_format::kImaAdpcm) {
    // IMA ADPCM nibbles come in 4-byte runs of 8 samples a channel.
    std::size_t runs = (std::size_t{per_block} - 1 + 7) / 8;
    fits = fits && runs * 4 * w.channels <= nibble_bytes;
  }
  if (!fits)
    return Fault(Fill(Tr("damaged WAVE file: ADPCM blocks of %s bytes cannot hold %s samples"),
                      {block_bytes, std::to_string(per_block)}));
  layout->samples_per_block = per_block;
  return layout;
}

// An ADPCM file's block layout into `adpcm` and `w` (nothing for other
// encodings); the fault when its "fmt " chunk cannot hold its blocks.
std::optional<FormatFault> TakeAdpcmLayout(std::span<const uint8_t> fmt, bool extensible,
                                           WaveSummary& w, std::optional<AdpcmLayout>& adpcm) {
  if (!IsAdpcm(w.format_tag)) return std::nullopt;
  auto layout = CheckAdpcmFormat(fmt, extensible, w);
  if (!layout) return layout.fault();
  adpcm = *layout;
  w.samples_per_block = adpcm->samples_per_block;
  return std::nullopt;
}

// Whole sample frames in the first `bytes` bytes of an ADPCM block (at least
// its header), as the decoder takes them.
uint64_t FramesInPartialBlock(const WaveSummary& w, const AdpcmLayout& layout, std::size_t bytes) {
  const std::size_t nibble_bytes = bytes - layout.header;
  uint64_t frames = 0;
  if (w.format_tag == wave_format::kMsAdpcm) {
    // Two samples a byte, channels interleaved nibble by nibble.
    frames = 2 + nibble_bytes * 2 / w.channels;
  } else {
    // Runs of 4 bytes a channel; in a cut run only the channels whose 4
    // bytes are all there count, so the last channel decides.
    const std::size_t run = std::size_t{4} * w.channels;
    const std::size_t rest = nibble_bytes % run;
    frames = 1 + nibble_bytes / run * 8;
    if (rest > run - 4) frames += (rest % 4) * 2;
  }
  return std::min<uint64_t>(frames, layout.samples_per_block);
}

// The "fmt " chunk's encoding, channels, rate and sample width, checked for
// what the decoder sounds.
FormatResult<WaveSummary> ReadFormat(std::span<const uint8_t> b, const RiffChunk& fmt,
                                     bool* extensible) {
  if (fmt.size < 16) return Fault(Tr("damaged WAVE file: the \"fmt \" chunk is too short"));
  const uint8_t* f = &b[fmt.at];
  WaveSummary w;
  w.format_tag = Le16(f);
  w.channels = Le16(f + 2);
  w.sample_rate = Le32(f + 4);
  w.byte_rate = Le32(f + 8);
  w.bits = Le16(f + 14);
  w.block_align = Le16(f + 12);
  *extensible = w.format_tag == wave_format::kExtensible;
  if (*extensible) {
    // WAVE_FORMAT_EXTENSIBLE: the encoding is the first two bytes of the
    // sub-format GUID at offset 24.
    if (fmt.size < 40)
      return Fault(Tr("damaged WAVE file: the extensible \"fmt \" chunk is too short"));
    w.format_tag = Le16(f + 24);
  }
  if (!EncodingPlayable(w.format_tag, w.bits))
    return Fault(Fill(Tr("unsupported WAVE encoding (format %s, %s bits)"),
                      {Hex(w.format_tag), std::to_string(w.bits)}));
  if (w.channels < 1 || w.channels > 8)
    return Fault(Fill(Tr("unsupported WAVE file: %s channels"), {std::to_string(w.channels)}));
  if (w.sample_rate == 0) return Fault(Tr("damaged WAVE file: sample rate 0"));
  // The decoders keep the rate in an int.
  if (w.sample_rate > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
    return Fault(Fill(Tr("damaged WAVE file: sample rate %s"), {std::to_string(w.sample_rate)}));
  return w;
}

// A chunk the file must have, as a fault when it is missing or cut off.
FormatResult<RiffChunk> RequiredChunk(std::span<const uint8_t> b, std::string_view tag) {
  auto found = FindRiffChunk(b, tag);
  if (!found) return Fault(Fill(Tr("damaged WAVE file: %s"), {found.fault().what}));
  if (!*found) return Fault(Fill(Tr("damaged WAVE file: no \"%s\" chunk"), {tag}));
  return **found;
}

// An MS ADPCM file's whole blocks from block `first` on (counted from 0):
// each names, a byte a channel, the predictor of its table it starts with.
// Refused when one names a predictor the table lacks.
FormatResult<bool> CheckPredictors(std::span<const uint8_t> blocks, uint64_t first,
                                   const AdpcmLayout& adpcm, const WaveSummary& w) {
  if (w.format_tag != wave_format::kMsAdpcm) return true;
  for (std::size_t at = 0; at < blocks.size(); at += w.block_align) {
    for (uint16_t c = 0; c < w.channels; ++c) {
      if (blocks[at + c] >= adpcm.predictors)
        return Fault(Fill(Tr("damaged WAVE file: ADPCM block %s names predictor %s of a table of %s"),
                          {std::to_string(first + at / w.block_align + 1),
                           std::to_string(blocks[at + c]), std::to_string(adpcm.predictors)}));
    }
  }
  return true;
}

// The bytes of an ADPCM file's sound data of `size` bytes that the decoder
// plays (whole blocks and a final partial one that holds its header), their
// frames counted into w.frames; *zeros is set to the bytes that fill the
// final partial block.
uint64_t AdpcmUsed(uint64_t size, const AdpcmLayout& adpcm, WaveSummary& w, std::size_t* zeros) {
  const uint64_t blocks = size / w.block_align;
  const auto partial = static_cast<std::size_t>(size % w.block_align);
  w.frames = blocks * adpcm.samples_per_block;
  uint64_t used = blocks * w.block_align;
  if (partial >= adpcm.header) {
    // A final block cut short still plays the frames it holds.
    w.frames += FramesInPartialBlock(w, adpcm, partial);
    used += partial;
    *zeros = w.block_align - partial;
  }
  return used;
}

// The sound data of an ADPCM file cut to the blocks the decoder plays, its
// frames counted into w.frames; *zeros is set to the bytes that fill a final
// partial block. Refused when a block names a predictor the table lacks.
FormatResult<std::span<const uint8_t>> AdpcmBlocks(std::span<const uint8_t> sound,
                                                   const AdpcmLayout& adpcm, WaveSummary& w,
                                                   std::size_t* zeros) {
  const auto used = static_cast<std::size_t>(AdpcmUsed(sound.size(), adpcm, w, zeros));
  sound = sound.first(used);
  if (auto named = CheckPredictors(sound, 0, adpcm, w); !named) return named.fault();
  return sound;
}

// The file as the decoder gets it (see WaveSummary::clean).
std::vector<uint8_t> CleanWave(std::span<const uint8_t> fmt, std::span<const uint8_t> sound,
                               std::size_t zeros) {
  std::vector<uint8_t> out;
  out.reserve(12 + 8 + fmt.size() + 1 + 8 + sound.size() + zeros + 1);
  PutTag(out, "RIFF");
  PutLe32(out, 0);  // set below
  PutTag(out, "WAVE");
  PutRiffChunk(out, "fmt ", fmt);
  if (zeros == 0) {
    PutRiffChunk(out, "data", sound);
  } else {
    std::vector<uint8_t> whole(sound.begin(), sound.end());
    whole.resize(whole.size() + zeros, 0);
    PutRiffChunk(out, "data", whole);
  }
  SetLe32(out, 4, static_cast<uint32_t>(out.size() - 8));
  return out;
}

}  // namespace

FormatResult<WaveSummary> CheckWave(std::span<const uint8_t> b) {
  if (!IsRiff(b, "WAVE")) return Fault(Tr("not a WAVE file"));
  auto fmt = RequiredChunk(b, "fmt ");
  if (!fmt) return fmt.fault();
  bool extensible = false;
  auto format = ReadFormat(b, *fmt, &extensible);
  if (!format) return format;
  WaveSummary& w = *format;
  const std::span<const uint8_t> fmt_body = b.subspan(fmt->at, fmt->size);
  std::optional<AdpcmLayout> adpcm;
  if (std::optional<FormatFault> fault = TakeAdpcmLayout(fmt_body, extensible, w, adpcm))
    return *fault;

  auto data = RequiredChunk(b, "data");
  if (!data) return data.fault();
  w.data_at = static_cast<uint32_t>(data->at);
  w.data_size = data->size;
  std::span<const uint8_t> sound = b.subspan(data->at, data->size);
  std::size_t zeros = 0;  // to fill a final partial ADPCM block
  if (!adpcm) {
    // The playing time at the rate the decoder plays: whole frames of
    // channels x sample width.
    uint64_t frame_bytes = uint64_t{w.channels} * (w.bits / 8);
    w.frames = w.data_size / frame_bytes;
    w.length_ms = RoundUpMs(uint64_t{w.data_size} * 1000, w.sample_rate * frame_bytes);
  } else {
    auto blocks = AdpcmBlocks(sound, *adpcm, w, &zeros);
    if (!blocks) return blocks.fault();
    sound = *blocks;
    // The "fact" chunk counts the frames the encoder put in; a count the
    // blocks cannot hold, or 0, is not taken at its word. A chunk cut off
    // after "data" ends the search without harm.
    if (auto fact = FindRiffChunk(b, "fact"); fact && *fact && (*fact)->size >= 4) {
      uint32_t counted = Le32(&b[(*fact)->at]);
      if (counted > 0) w.frames = std::min<uint64_t>(w.frames, counted);
    }
    w.length_ms = RoundUpMs(w.frames * 1000, w.sample_rate);
  }
  w.clean = CleanWave(fmt_body, sound, zeros);
  return format;
}

namespace {

// The bytes a part-read check holds at once.
constexpr std::size_t kPartBytes = std::size_t{1} << 20;

// A source read through a window of kPartBytes at most.
class PartReader {
 public:
  explicit PartReader(ByteSource& file) : file_(file), size_(file.Size()) {}
  uint64_t size() const { return size_; }
  // `count` bytes from `at` (at most kPartBytes), or nothing.
  std::optional<std::span<const uint8_t>> Get(uint64_t at, std::size_t count) {
    if (at > size_ || count > size_ - at || count > kPartBytes) return std::nullopt;
    if (at < held_at_ || at + count > held_at_ + held_.size()) {
      held_.resize(static_cast<std::size_t>(std::min<uint64_t>(kPartBytes, size_ - at)));
      held_at_ = at;
      if (!file_.ReadAt(at, held_)) {
        held_.clear();
        return std::nullopt;
      }
    }
    return std::span<const uint8_t>(held_).subspan(static_cast<std::size_t>(at - held_at_), count);
  }

 private:
  ByteSource& file_;
  uint64_t size_;
  uint64_t held_at_ = 0;
  std::vector<uint8_t> held_;
};

// A chunk of a file read in parts: where its body starts and how long it is.
struct FarChunk {
  uint64_t at = 0;
  uint32_t size = 0;
};

// FindRiffChunk for a file read in parts.
FormatResult<std::optional<FarChunk>> FindFarChunk(PartReader& in, std::string_view tag) {
  uint64_t pos = 12;
  while (pos <= in.size() && in.size() - pos >= 8) {
    auto header = in.Get(pos, 8);
    if (!header) return Fault(Tr("the file cannot be read"));
    const uint32_t size = Le32(header->data() + 4);
    const uint64_t body = pos + 8;
    if (size > in.size() - body)
      return Fault(Fill(Tr("chunk %s runs past the end of the file"), {TagText(header->data())}));
    if (HasTag(*header, 0, tag)) return std::optional<FarChunk>(FarChunk{body, size});
    pos = body + size + (size & 1);
  }
  return std::optional<FarChunk>();
}

FormatResult<FarChunk> RequiredFarChunk(PartReader& in, std::string_view tag) {
  auto found = FindFarChunk(in, tag);
  if (!found) return Fault(Fill(Tr("damaged WAVE file: %s"), {found.fault().what}));
  if (!*found) return Fault(Fill(Tr("damaged WAVE file: no \"%s\" chunk"), {tag}));
  return **found;
}

// The clean file a decoder reads: its header and "fmt " chunk held, the
// sound data read from the file where it stands, zeros after it.
class CleanParts : public ByteSource {
 public:
  CleanParts(std::vector<uint8_t> header, std::shared_ptr<ByteSource> file, uint64_t data_at,
             uint64_t used, uint64_t zeros)
      : header_(std::move(header)), file_(std::move(file)), data_at_(data_at), used_(used),
        tail_(zeros + ((used + zeros) & 1)) {}
  uint64_t Size() const override { return header_.size() + used_ + tail_; }
  bool ReadAt(uint64_t at, std::span<uint8_t> out) override {
    if (at > Size() || out.size() > Size() - at) return false;
    while (!out.empty()) {
      std::size_t n = 0;
      if (at < header_.size()) {
        n = static_cast<std::size_t>(std::min<uint64_t>(out.size(), header_.size() - at));
        std::copy_n(header_.begin() + static_cast<std::ptrdiff_t>(at), n, out.begin());
      } else if (at < header_.size() + used_) {
        n = static_cast<std::size_t>(std::min<uint64_t>(out.size(), header_.size() + used_ - at));
        if (!file_->ReadAt(data_at_ + (at - header_.size()), out.first(n))) return false;
      } else {
        n = out.size();
        std::fill_n(out.begin(), n, uint8_t{0});
      }
      out = out.subspan(n);
      at += n;
    }
    return true;
  }

 private:
  std::vector<uint8_t> header_;
  std::shared_ptr<ByteSource> file_;
  uint64_t data_at_, used_, tail_;
};

// The predictors of an MS ADPCM file's `used` bytes of sound, a part at a time.
FormatResult<bool> CheckFarPredictors(PartReader& in, uint64_t data_at, uint64_t used,
                                      const AdpcmLayout& adpcm, const WaveSummary& w) {
  const uint64_t part = std::max<uint64_t>(1, kPartBytes / w.block_align) * w.block_align;
  for (uint64_t at = 0; at < used; at += part) {
    const auto count = static_cast<std::size_t>(std::min(part, used - at));
    auto blocks = in.Get(data_at + at, count);
    if (!blocks) return Fault(Tr("damaged WAVE file: the file cannot be read"));
    if (auto named = CheckPredictors(*blocks, at / w.block_align, adpcm, w); !named)
      return named.fault();
  }
  return true;
}

}  // namespace

FormatResult<WaveSummary> CheckWaveParts(const std::shared_ptr<ByteSource>& file,
                                         std::shared_ptr<ByteSource>* source) {
  PartReader in(*file);
  auto head = in.Get(0, static_cast<std::size_t>(std::min<uint64_t>(in.size(), 12)));
  if (!head || !IsRiff(*head, "WAVE")) return Fault(Tr("not a WAVE file"));
  auto fmt = RequiredFarChunk(in, "fmt ");
  if (!fmt) return fmt.fault();
  // A "fmt " chunk is some tens of bytes, an MS ADPCM one about a kilobyte.
  if (fmt->size > kPartBytes) return Fault(Tr("damaged WAVE file: the \"fmt \" chunk is too long"));
  auto fmt_part = in.Get(fmt->at, fmt->size);
  if (!fmt_part) return Fault(Tr("damaged WAVE file: the file cannot be read"));
  const std::vector<uint8_t> fmt_body(fmt_part->begin(), fmt_part->end());
  bool extensible = false;
  auto format = ReadFormat(fmt_body, RiffChunk{0, fmt->size}, &extensible);
  if (!format) return format;
  WaveSummary& w = *format;
  std::optional<AdpcmLayout> adpcm;
  if (std::optional<FormatFault> fault = TakeAdpcmLayout(fmt_body, extensible, w, adpcm))
    return *fault;
  auto data = RequiredFarChunk(in, "data");
  if (!data) return data.fault();
  w.data_at = static_cast<uint32_t>(data->at);
  w.data_size = data->size;
  uint64_t used = data->size;
  std::size_t zeros = 0;
  if (!adpcm) {
    uint64_t frame_bytes = uint64_t{w.channels} * (w.bits / 8);
    w.frames = w.data_size / frame_bytes;
    w.length_ms = RoundUpMs(uint64_t{w.data_size} * 1000, w.sample_rate * frame_bytes);
  } else {
    used = AdpcmUsed(data->size, *adpcm, w, &zeros);
    if (auto named = CheckFarPredictors(in, data->at, used, *adpcm, w); !named)
      return named.fault();
    if (auto fact = FindFarChunk(in, "fact"); fact && *fact && (*fact)->size >= 4) {
      if (auto counted = in.Get((*fact)->at, 4); counted && Le32(counted->data()) > 0)
        w.frames = std::min<uint64_t>(w.frames, Le32(counted->data()));
    }
    w.length_ms = RoundUpMs(w.frames * 1000, w.sample_rate);
  }
  // The clean file's header: as CleanWave writes it, up to the sound data.
  std::vector<uint8_t> header;
  PutTag(header, "RIFF");
  const uint64_t sound = used + zeros;
  PutLe32(header, static_cast<uint32_t>(4 + 8 + fmt_body.size() + (fmt_body.size() & 1) + 8 +
                                        sound + (sound & 1)));
  PutTag(header, "WAVE");
  PutRiffChunk(header, "fmt ", fmt_body);
  PutTag(header, "data");
  PutLe32(header, static_cast<uint32_t>(sound));
  *source = std::make_shared<CleanParts>(std::move(header), file, data->at, used, zeros);
  return format;
}

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
  PutLe16(out, wave_format::kPcm);
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

}  // namespace velmor::formats
