#include "platform/media_check.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "platform/files.h"
#include "platform/media_player.h"

namespace velmor::platform {

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t Be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

bool HasTag(std::span<const uint8_t> b, std::size_t at, std::string_view tag) {
  if (at > b.size() || b.size() - at < tag.size()) return false;
  return std::equal(tag.begin(), tag.end(), b.begin() + static_cast<std::ptrdiff_t>(at),
                    [](char t, uint8_t c) { return static_cast<uint8_t>(t) == c; });
}

// A chunk tag for a message: four printable characters or their hex codes.
std::string TagText(const uint8_t* p) {
  bool printable = std::all_of(p, p + 4, [](uint8_t c) { return c >= 0x20 && c < 0x7F; });
  char buf[24];
  if (printable)
    std::snprintf(buf, sizeof buf, "\"%c%c%c%c\"", p[0], p[1], p[2], p[3]);
  else
    std::snprintf(buf, sizeof buf, "%02X %02X %02X %02X", p[0], p[1], p[2], p[3]);
  return buf;
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

// One RIFF chunk: where its body starts and how long it is.
struct Chunk {
  std::size_t at = 0;
  uint32_t size = 0;
};

// The chunks of a RIFF file from offset 12 on: finds the first chunk of each
// wanted tag; a chunk whose body runs past the end of the file is an error
// when it is one of them or comes before the last of them.
class RiffWalker {
 public:
  explicit RiffWalker(std::span<const uint8_t> b) : b_(b) {}

  // The first chunk tagged `tag`. Nothing, with *fault set, when a chunk
  // before it is cut off; nothing, with *fault empty, when there is none.
  std::optional<Chunk> Find(std::string_view tag, std::string* fault) const {
    std::size_t pos = 12;
    while (b_.size() - pos >= 8) {
      uint32_t size = Le32(&b_[pos + 4]);
      std::size_t body = pos + 8;
      if (size > b_.size() - body) {
        *fault = "chunk " + TagText(&b_[pos]) + " runs past the end of the file";
        return std::nullopt;
      }
      if (HasTag(b_, pos, tag)) return Chunk{body, size};
      // Chunks are padded to an even length.
      std::size_t next = body + size + (size & 1);
      if (next > b_.size()) break;
      pos = next;
    }
    fault->clear();
    return std::nullopt;
  }

 private:
  std::span<const uint8_t> b_;
};

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

std::optional<WaveSummary> WaveFault(std::string* fault, const std::string& why) {
  if (fault) *fault = why;
  return std::nullopt;
}

// The seven predictor pairs every MS ADPCM file starts its table with; the
// decoder takes no other.
constexpr int16_t kMsAdpcmStandardPredictors[14] = {256, 0,   512, -256, 0,   0,    192,
                                                    64,  240, 0,   460,  -208, 392, -232};

// An ADPCM file's block layout, from its "fmt " chunk.
struct AdpcmLayout {
  std::size_t header = 0;        // bytes of a block header (all channels)
  uint32_t samples_per_block = 0;
  uint32_t predictors = 0;       // MS ADPCM: entries of the predictor table
};

// Checks the "fmt " chunk of an ADPCM file (`w` holds its encoding, channels
// and block size). Nothing, with *why set, when the blocks cannot be decoded.
std::optional<AdpcmLayout> CheckAdpcmFormat(std::span<const uint8_t> fmt, bool extensible,
                                            const WaveSummary& w, std::string* why) {
  const uint8_t* f = fmt.data();
  const uint16_t extra = fmt.size() >= 18 ? Le16(f + 16) : 0;  // cbSize
  const std::string blocks = "blocks of " + std::to_string(w.block_align) + " bytes";
  AdpcmLayout layout;
  if (w.format_tag == wave_format::kMsAdpcm) {
    if (extensible) {
      *why = "unsupported WAVE encoding (MS ADPCM in an extensible \"fmt \" chunk)";
      return std::nullopt;
    }
    if (w.channels > 2) {
      *why = "unsupported WAVE file: MS ADPCM with " + std::to_string(w.channels) + " channels";
      return std::nullopt;
    }
    if (fmt.size() < 22) {
      *why = "damaged WAVE file: the MS ADPCM \"fmt \" chunk is too short";
      return std::nullopt;
    }
    uint32_t count = Le16(f + 20);
    if (count < 7) {
      *why = "damaged WAVE file: MS ADPCM predictor table of " + std::to_string(count) +
             " entries (at least 7)";
      return std::nullopt;
    }
    // A block names its predictor in one byte: entries past 256 are never used.
    count = std::min<uint32_t>(count, 256);
    if (fmt.size() < 22 + std::size_t{4} * count || extra < 4 + 4 * count) {
      *why = "damaged WAVE file: the MS ADPCM predictor table runs past the \"fmt \" chunk";
      return std::nullopt;
    }
    for (int i = 0; i < 14; ++i) {
      if (static_cast<int16_t>(Le16(f + 22 + 2 * i)) != kMsAdpcmStandardPredictors[i]) {
        *why = "damaged WAVE file: the MS ADPCM predictor table is not the standard one";
        return std::nullopt;
      }
    }
    layout.predictors = count;
    layout.header = std::size_t{7} * w.channels;
  } else {
    if (extensible && extra < 22) {
      *why = "damaged WAVE file: the extensible \"fmt \" chunk is too short";
      return std::nullopt;
    }
    layout.header = std::size_t{4} * w.channels;
    if (w.block_align % 4 != 0) {
      *why = "damaged WAVE file: IMA ADPCM " + blocks + " (not a multiple of 4)";
      return std::nullopt;
    }
  }
  if (w.block_align < layout.header) {
    *why = "damaged WAVE file: ADPCM " + blocks + " cannot hold their header";
    return std::nullopt;
  }
  // Samples a channel has in the nibbles after the header.
  const std::size_t nibble_bytes = w.block_align - layout.header;
  const auto in_nibbles = static_cast<uint32_t>(nibble_bytes * 2 / w.channels);
  // The header holds two samples of each channel (MS) or one (IMA).
  const uint32_t in_header = w.format_tag == wave_format::kMsAdpcm ? 2 : 1;
  uint32_t per_block = 0;
  if (fmt.size() >= 20 && extra >= 2) per_block = Le16(f + 18);
  if (per_block == 0) per_block = in_nibbles + in_header;  // unset: a full block
  bool fits = per_block >= in_header && per_block - in_header <= in_nibbles;
  if (w.format_tag == wave_format::kImaAdpcm) {
    // IMA ADPCM nibbles come in 4-byte runs of 8 samples a channel.
    std::size_t runs = (std::size_t{per_block} - 1 + 7) / 8;
    fits = fits && runs * 4 * w.channels <= nibble_bytes;
  }
  if (!fits) {
    *why = "damaged WAVE file: ADPCM " + blocks + " cannot hold " + std::to_string(per_block) +
           " samples";
    return std::nullopt;
  }
  layout.samples_per_block = per_block;
  return layout;
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

void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutChunk(std::vector<uint8_t>& out, std::string_view tag, std::span<const uint8_t> body) {
  out.insert(out.end(), tag.begin(), tag.end());
  PutLe32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1) out.push_back(0);
}

}  // namespace

std::optional<MediaKind> MediaKindOf(std::string_view path) {
  if (path.size() < 4) return std::nullopt;
  std::string ext(path.substr(path.size() - 4));
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (ext == ".WAV") return MediaKind::Wave;
  if (ext == ".MID") return MediaKind::Midi;
  return std::nullopt;
}

std::optional<WaveSummary> CheckWave(std::span<const uint8_t> b, std::string* fault) {
  if (b.size() < 12 || !HasTag(b, 0, "RIFF") || !HasTag(b, 8, "WAVE"))
    return WaveFault(fault, "not a WAVE file");
  RiffWalker riff(b);
  std::string why;
  auto fmt = riff.Find("fmt ", &why);
  if (!fmt)
    return WaveFault(
        fault, why.empty() ? "damaged WAVE file: no \"fmt \" chunk" : "damaged WAVE file: " + why);
  if (fmt->size < 16) return WaveFault(fault, "damaged WAVE file: the \"fmt \" chunk is too short");
  const uint8_t* f = &b[fmt->at];
  WaveSummary w;
  w.format_tag = Le16(f);
  w.channels = Le16(f + 2);
  w.sample_rate = Le32(f + 4);
  w.bits = Le16(f + 14);
  w.block_align = Le16(f + 12);
  const bool extensible = w.format_tag == wave_format::kExtensible;
  if (extensible) {
    // WAVE_FORMAT_EXTENSIBLE: the encoding is the first two bytes of the
    // sub-format GUID at offset 24.
    if (fmt->size < 40)
      return WaveFault(fault, "damaged WAVE file: the extensible \"fmt \" chunk is too short");
    w.format_tag = Le16(f + 24);
  }
  if (!EncodingPlayable(w.format_tag, w.bits))
    return WaveFault(fault, "unsupported WAVE encoding (format " + Hex(w.format_tag) + ", " +
                                std::to_string(w.bits) + " bits)");
  if (w.channels < 1 || w.channels > 8)
    return WaveFault(fault, "unsupported WAVE file: " + std::to_string(w.channels) + " channels");
  if (w.sample_rate == 0) return WaveFault(fault, "damaged WAVE file: sample rate 0");
  // The decoders keep the rate in an int.
  if (w.sample_rate > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
    return WaveFault(fault, "damaged WAVE file: sample rate " + std::to_string(w.sample_rate));
  std::optional<AdpcmLayout> adpcm;
  if (IsAdpcm(w.format_tag)) {
    adpcm = CheckAdpcmFormat(b.subspan(fmt->at, fmt->size), extensible, w, &why);
    if (!adpcm) return WaveFault(fault, why);
    w.samples_per_block = adpcm->samples_per_block;
  }

  auto data = riff.Find("data", &why);
  if (!data)
    return WaveFault(
        fault, why.empty() ? "damaged WAVE file: no \"data\" chunk" : "damaged WAVE file: " + why);
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
    const std::size_t blocks = sound.size() / w.block_align;
    const std::size_t partial = sound.size() % w.block_align;
    w.frames = uint64_t{blocks} * adpcm->samples_per_block;
    std::size_t used = blocks * w.block_align;
    if (partial >= adpcm->header) {
      // A final block cut short still plays the frames it holds.
      w.frames += FramesInPartialBlock(w, *adpcm, partial);
      used += partial;
      zeros = w.block_align - partial;
    }
    sound = sound.first(used);
    if (w.format_tag == wave_format::kMsAdpcm) {
      // Each block names, a byte a channel, the predictor of its table it
      // starts with.
      for (std::size_t at = 0; at < sound.size(); at += w.block_align) {
        for (uint16_t c = 0; c < w.channels; ++c) {
          if (sound[at + c] >= adpcm->predictors)
            return WaveFault(fault, "damaged WAVE file: ADPCM block " +
                                        std::to_string(at / w.block_align + 1) +
                                        " names predictor " + std::to_string(sound[at + c]) +
                                        " of a table of " + std::to_string(adpcm->predictors));
        }
      }
    }
    // The "fact" chunk counts the frames the encoder put in; a count the
    // blocks cannot hold, or 0, is not taken at its word. A chunk cut off
    // after "data" ends the search without harm.
    std::string ignored;
    if (auto fact = riff.Find("fact", &ignored); fact && fact->size >= 4) {
      uint32_t counted = Le32(&b[fact->at]);
      if (counted > 0) w.frames = std::min<uint64_t>(w.frames, counted);
    }
    w.length_ms = RoundUpMs(w.frames * 1000, w.sample_rate);
  }

  std::vector<uint8_t>& out = w.clean;
  out.reserve(12 + 8 + fmt->size + 1 + 8 + sound.size() + zeros + 1);
  out.insert(out.end(), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});
  PutChunk(out, "fmt ", b.subspan(fmt->at, fmt->size));
  if (zeros == 0) {
    PutChunk(out, "data", sound);
  } else {
    std::vector<uint8_t> whole(sound.begin(), sound.end());
    whole.resize(whole.size() + zeros, 0);
    PutChunk(out, "data", whole);
  }
  uint32_t riff_size = static_cast<uint32_t>(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(riff_size >> (8 * i));
  return w;
}

namespace {

struct TempoChange {
  uint64_t tick;
  uint32_t us_per_quarter;
};

// Reads a variable-length number of at most four bytes.
bool ReadVarLen(std::span<const uint8_t> t, std::size_t* at, uint32_t* value) {
  uint32_t v = 0;
  for (int n = 0; n < 4; ++n) {
    if (*at >= t.size()) return false;
    uint8_t c = t[(*at)++];
    v = (v << 7) | (c & 0x7F);
    if (!(c & 0x80)) {
      *value = v;
      return true;
    }
  }
  return false;
}

// The size a meta event of this type must have, or -1 when any size goes.
int MetaSize(uint8_t type) {
  switch (type) {
    case 0x2F:
      return 0;  // end of track
    case 0x51:
      return 3;  // tempo
    case 0x54:
      return 5;  // SMPTE offset
    case 0x58:
      return 4;  // time signature
    case 0x59:
      return 2;  // key signature
    default:
      return -1;
  }
}

// Parses one track's events up to its end-of-track event. Bytes after it
// (within the chunk) are ignored, as sequencers do.
class TrackScanner {
 public:
  TrackScanner(std::span<const uint8_t> track, int number) : t_(track), number_(number) {}

  bool Scan(std::vector<TempoChange>& tempos, uint64_t* end_tick, std::string* why) {
    std::size_t i = 0;
    uint64_t tick = 0;
    uint8_t running = 0;
    while (true) {
      if (i >= t_.size()) return Fail(why, "has no end-of-track event");
      std::size_t event_at = i;
      uint32_t delta = 0;
      if (!ReadVarLen(t_, &i, &delta)) return Fail(why, "bad delta time at byte " + Hex(event_at));
      tick += delta;
      if (i >= t_.size()) return Fail(why, "ends inside the event at byte " + Hex(event_at));
      uint8_t status = t_[i];
      if (status & 0x80) {
        ++i;
      } else if (running) {
        status = running;
      } else {
        return Fail(why, "data byte without a status at byte " + Hex(static_cast<uint32_t>(i)));
      }
      if (status < 0xF0) {
        running = status;
        std::size_t count = (status & 0xE0) == 0xC0 ? 1 : 2;  // program change, channel pressure: 1
        if (t_.size() - i < count)
          return Fail(why, "ends inside the event at byte " + Hex(event_at));
        for (std::size_t k = 0; k < count; ++k)
          if (t_[i + k] & 0x80)
            return Fail(why, "data byte out of range at byte " + Hex(static_cast<uint32_t>(i + k)));
        i += count;
        continue;
      }
      // System exclusive and meta events cancel running status.
      running = 0;
      if (status == 0xFF) {
        if (i >= t_.size()) return Fail(why, "ends inside the event at byte " + Hex(event_at));
        uint8_t type = t_[i++];
        uint32_t size = 0;
        if (!ReadVarLen(t_, &i, &size) || size > t_.size() - i)
          return Fail(why,
                      "meta event at byte " + Hex(event_at) + " runs past the end of the track");
        int fixed = MetaSize(type);
        if (fixed >= 0 && size != static_cast<uint32_t>(fixed))
          return Fail(why, "meta event " + Hex(type) + " at byte " + Hex(event_at) + " has size " +
                               std::to_string(size) + " instead of " + std::to_string(fixed));
        if (type == 0x51) {
          uint32_t us = (uint32_t{t_[i]} << 16) | (t_[i + 1] << 8) | t_[i + 2];
          if (us == 0) return Fail(why, "tempo 0 at byte " + Hex(event_at));
          tempos.push_back({tick, us});
        }
        i += size;
        if (type == 0x2F) {
          *end_tick = tick;
          return true;
        }
      } else if (status == 0xF0 || status == 0xF7) {
        uint32_t size = 0;
        if (!ReadVarLen(t_, &i, &size) || size > t_.size() - i)
          return Fail(why, "system exclusive event at byte " + Hex(event_at) +
                               " runs past the end of the track");
        i += size;
      } else {
        return Fail(why, "status byte " + Hex(status) + " at byte " + Hex(event_at) +
                             " does not belong in a file");
      }
    }
  }

 private:
  bool Fail(std::string* why, const std::string& what) const {
    *why = "track " + std::to_string(number_) + " " + what;
    return false;
  }

  std::span<const uint8_t> t_;
  int number_;
};

// Playing time up to `end_tick`: 120 beats a minute until the first tempo
// event, tempo events of all tracks applying to the whole piece.
uint32_t MidiLengthMs(std::vector<TempoChange> tempos, uint64_t end_tick, uint16_t division) {
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  long double us = 0;
  uint64_t at = 0;
  uint32_t tempo = 500000;
  for (const TempoChange& c : tempos) {
    if (c.tick >= end_tick) break;
    us += static_cast<long double>(c.tick - at) * tempo / division;
    at = c.tick;
    tempo = c.us_per_quarter;
  }
  us += static_cast<long double>(end_tick - at) * tempo / division;
  long double ms = us / 1000;
  if (ms >= std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
  auto whole = static_cast<uint32_t>(ms);
  return whole + (static_cast<long double>(whole) < ms ? 1 : 0);
}

std::optional<MidiSummary> MidiFault(std::string* fault, const std::string& why) {
  if (fault) *fault = why;
  return std::nullopt;
}

// The Standard MIDI File inside a RIFF "RMID" file.
std::optional<std::span<const uint8_t>> UnwrapRmid(std::span<const uint8_t> b, std::string* why) {
  auto data = RiffWalker(b).Find("data", why);
  if (!data) {
    if (why->empty()) *why = "no \"data\" chunk";
    return std::nullopt;
  }
  return b.subspan(data->at, data->size);
}

}  // namespace

std::optional<MidiSummary> CheckMidi(std::span<const uint8_t> b, std::string* fault) {
  std::string why;
  if (b.size() >= 12 && HasTag(b, 0, "RIFF") && HasTag(b, 8, "RMID")) {
    auto inner = UnwrapRmid(b, &why);
    if (!inner) return MidiFault(fault, "damaged RIFF MIDI file: " + why);
    b = *inner;
  }
  if (b.size() < 14 || !HasTag(b, 0, "MThd")) return MidiFault(fault, "not a MIDI file");
  uint32_t header_size = Be32(&b[4]);
  if (header_size < 6) return MidiFault(fault, "damaged MIDI file: the header chunk is too short");
  if (header_size > b.size() - 8)
    return MidiFault(fault, "damaged MIDI file: the header chunk runs past the end of the file");
  MidiSummary m;
  m.format = Be16(&b[8]);
  m.tracks = Be16(&b[10]);
  m.division = Be16(&b[12]);
  if (m.format > 1)
    return MidiFault(fault, "unsupported MIDI file: format " + std::to_string(m.format));
  if (m.tracks == 0) return MidiFault(fault, "damaged MIDI file: no tracks");
  if (m.format == 0 && m.tracks != 1)
    return MidiFault(fault,
                     "damaged MIDI file: format 0 with " + std::to_string(m.tracks) + " tracks");
  if (m.division & 0x8000) return MidiFault(fault, "unsupported MIDI file: SMPTE time division");
  if (m.division == 0) return MidiFault(fault, "damaged MIDI file: time division 0");

  std::vector<TempoChange> tempos;
  std::size_t pos = 8 + std::size_t{header_size};
  int found = 0;
  while (found < m.tracks) {
    if (b.size() - pos < 8)
      return MidiFault(fault, "damaged MIDI file: the header announces " +
                                  std::to_string(m.tracks) + " tracks, the file holds " +
                                  std::to_string(found));
    uint32_t size = Be32(&b[pos + 4]);
    bool is_track = HasTag(b, pos, "MTrk");
    if (size > b.size() - pos - 8) {
      std::string what =
          is_track ? "track " + std::to_string(found + 1) : "chunk " + TagText(&b[pos]);
      return MidiFault(fault, "damaged MIDI file: " + what + " runs past the end of the file");
    }
    if (is_track) {
      uint64_t end = 0;
      if (!TrackScanner(b.subspan(pos + 8, size), found + 1).Scan(tempos, &end, &why))
        return MidiFault(fault, "damaged MIDI file: " + why);
      m.end_tick = std::max(m.end_tick, end);
      ++found;
    }
    pos += 8 + std::size_t{size};
  }
  m.length_ms = MidiLengthMs(std::move(tempos), m.end_tick, m.division);
  m.clean.assign(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(pos));
  return m;
}

std::optional<MediaFile> ReadMediaFile(Files& files, std::string_view path, std::string* error,
                                       int* code) {
  std::string path_text(path);
  auto kind = MediaKindOf(path);
  if (!kind) {
    if (code) *code = media_error::kRefused;
    if (error) *error = path_text + ": not a WAVE or MIDI file name";
    return std::nullopt;
  }
  std::string read_error;
  auto bytes = files.ReadFile(path, &read_error);
  if (!bytes) {
    if (code) *code = media_error::kCannotOpen;
    if (error) *error = read_error;
    return std::nullopt;
  }
  std::string fault;
  MediaFile out;
  out.kind = *kind;
  if (*kind == MediaKind::Wave) {
    auto w = CheckWave(*bytes, &fault);
    if (w) {
      out.length_ms = w->length_ms;
      out.wave_format = w->format_tag;
      out.wave_frames = w->frames;
      out.clean = std::move(w->clean);
      return out;
    }
  } else {
    auto m = CheckMidi(*bytes, &fault);
    if (m) {
      out.length_ms = m->length_ms;
      out.clean = std::move(m->clean);
      return out;
    }
  }
  if (code) *code = media_error::kRefused;
  if (error) *error = path_text + ": " + fault;
  return std::nullopt;
}

}  // namespace velmor::platform
