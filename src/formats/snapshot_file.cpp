#include "formats/snapshot_file.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/texts.h"
#include "formats/byte_reader.h"
#include "formats/byte_writer.h"

namespace velmor::formats {

namespace {

// How a picture is kept in a snapshot.
enum PictureTag : uint8_t { kPacked = 0, kAgainstReference = 1, kAnchor = 2, kAgainstAnchor = 3 };
constexpr std::size_t kMaxPalette = 256;
constexpr std::size_t kMaxHeaderText = 1024;

// Where the run of zero bytes from i ends, eight bytes at a time first (a
// scenario image is mostly zeros).
std::size_t ZerosEnd(std::span<const uint8_t> bytes, std::size_t i) {
  while (bytes.size() - i >= sizeof(uint64_t)) {
    uint64_t word = 0;
    std::memcpy(&word, bytes.data() + i, sizeof word);
    if (word != 0) break;
    i += sizeof word;
  }
  while (i < bytes.size() && bytes[i] == 0) ++i;
  return i;
}

}  // namespace

std::size_t Snapshot::MemoryBytes(std::unordered_set<const void*>* seen) const {
  std::size_t total = bytes.capacity();
  for (const Bitmap& b : pictures) {
    if (b.empty() || (seen && !seen->insert(b.pixels().data()).second)) continue;
    total += b.pixels().size() * sizeof(Color);
  }
  return total;
}

// --- Writing ---

void StateWriter::U16(uint32_t v) { PutLe16(out_.bytes, v); }
void StateWriter::U32(uint32_t v) { PutLe32(out_.bytes, v); }

void StateWriter::Bytes(std::span<const uint8_t> bytes) {
  U32(static_cast<uint32_t>(bytes.size()));
  out_.bytes.insert(out_.bytes.end(), bytes.begin(), bytes.end());
}

void StateWriter::Sparse(std::span<const uint8_t> bytes) {
  // Pairs of (zero bytes, literal bytes) up to the end.
  U32(static_cast<uint32_t>(bytes.size()));
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t z = ZerosEnd(bytes, i);
    std::size_t l = z;
    while (l < bytes.size() && !(bytes[l] == 0 && l + 8 < bytes.size() && bytes[l + 1] == 0 &&
                                 bytes[l + 2] == 0 && bytes[l + 3] == 0))
      ++l;
    U32(static_cast<uint32_t>(z - i));
    U32(static_cast<uint32_t>(l - z));
    out_.bytes.insert(out_.bytes.end(), bytes.begin() + z, bytes.begin() + l);
    i = l;
  }
}

void StateWriter::Picture(const Bitmap& picture, const Bitmap* reference) {
  if ((picture.width() > kMaxSnapshotPictureSide || picture.height() > kMaxSnapshotPictureSide) &&
      out_.unreadable.empty())
    out_.unreadable =
        Fill(Tr("picture larger than %s pixels"), {std::to_string(kMaxSnapshotPictureSide)});
  U32(static_cast<uint32_t>(std::min(picture.palette.size(), kMaxPalette)));
  for (std::size_t i = 0; i < std::min(picture.palette.size(), kMaxPalette); ++i)
    U32(picture.palette[i]);
  const std::size_t place = pictures_++;
  if (!anchors_) {
    U8(reference ? kAgainstReference : kPacked);
    Bytes(PackPixels(picture, reference));
    return;
  }
  if (anchors_->anchors.size() <= place) anchors_->anchors.resize(place + 1);
  std::vector<Bitmap>& pool = anchors_->anchors[place];
  if (reference && !reference->empty()) {
    // A picture close to one written before it in the same snapshot (the
    // screen image and the back buffer) is kept as its difference.
    std::vector<uint8_t> against = PackPixels(picture, reference);
    if (against.size() <= anchors_->limit / 4) {
      out_.pictures.emplace_back();
      U8(kAgainstReference);
      Bytes(against);
      return;
    }
  }
  const Bitmap* best = nullptr;
  std::vector<uint8_t> packed;
  for (const Bitmap& anchor : pool) {
    if (anchor == picture) {
      best = &anchor;
      packed.clear();
      break;
    }
    std::vector<uint8_t> delta = PackPixels(picture, &anchor);
    if (!best || delta.size() < packed.size()) {
      best = &anchor;
      packed = std::move(delta);
    }
  }
  if (!best || packed.size() > anchors_->limit) {
    pool.insert(pool.begin(), picture);  // shares its pixels
    if (pool.size() > PictureAnchors::kPerPlace) pool.pop_back();
    best = &pool.front();
    packed.clear();
  }
  out_.pictures.push_back(*best);
  if (packed.empty() && *best == picture) {
    U8(kAnchor);
  } else {
    U8(kAgainstAnchor);
    Bytes(packed);
  }
}

// --- Reading ---

bool StateReader::Has(std::size_t n) {
  if (!ok()) return false;
  if (in_.bytes.size() - at_ < n) {
    Fail(Tr("the state is cut short"));
    return false;
  }
  return true;
}

uint32_t StateReader::U8() { return Has(1) ? in_.bytes[at_++] : 0; }

uint32_t StateReader::U16() {
  if (!Has(2)) return 0;
  const uint32_t v = in_.bytes[at_] | (in_.bytes[at_ + 1] << 8);
  at_ += 2;
  return v;
}

uint32_t StateReader::U32() {
  const uint32_t lo = U16();
  return lo | (U16() << 16);
}

std::vector<uint8_t> StateReader::Bytes(std::size_t max) {
  const uint32_t n = U32();
  if (n > max) {
    Fail(Tr("a field of the state is too long"));
    return {};
  }
  if (!Has(n)) return {};
  std::vector<uint8_t> out(in_.bytes.begin() + static_cast<std::ptrdiff_t>(at_),
                           in_.bytes.begin() + static_cast<std::ptrdiff_t>(at_ + n));
  at_ += n;
  return out;
}

std::string StateReader::Text(std::size_t max) {
  std::vector<uint8_t> bytes = Bytes(max);
  return {bytes.begin(), bytes.end()};
}

void StateReader::Sparse(std::span<uint8_t> into) {
  if (U32() != into.size()) {
    Fail(Tr("the scenario image has the wrong size"));
    return;
  }
  std::size_t i = 0;
  while (ok() && i < into.size()) {
    const uint32_t zeros = U32();
    const uint32_t literal = U32();
    if (zeros > into.size() - i || literal > into.size() - i - zeros) {
      Fail(Tr("the scenario image runs past its end"));
      return;
    }
    std::fill_n(into.begin() + i, zeros, 0);
    i += zeros;
    if (!Has(literal)) return;
    std::copy_n(in_.bytes.begin() + static_cast<std::ptrdiff_t>(at_), literal, into.begin() + i);
    at_ += literal;
    i += literal;
  }
}

Bitmap StateReader::Picture(const Bitmap* reference) {
  const uint32_t colours = U32();
  if (colours > kMaxPalette) Fail(Tr("a picture's palette is too long"));
  std::vector<Color> palette;
  for (uint32_t i = 0; ok() && i < colours; ++i) palette.push_back(U32());
  const std::size_t place = pictures_++;
  const uint32_t tag = U8();
  if (!ok()) return {};
  const Bitmap* anchor = place < in_.pictures.size() ? &in_.pictures[place] : nullptr;
  Bitmap picture;
  if (tag == kAnchor && anchor) {
    picture = *anchor;
  } else if (tag == kPacked || tag == kAgainstReference || (tag == kAgainstAnchor && anchor)) {
    const std::vector<uint8_t> packed = Bytes(in_.bytes.size());
    const Bitmap* against = tag == kAgainstAnchor ? anchor : tag == kPacked ? nullptr : reference;
    FormatResult<Bitmap> unpacked = UnpackPixels(packed, against);
    if (!unpacked) {
      Fail(unpacked.fault().what);
      return {};
    }
    picture = std::move(*unpacked);
  } else {
    Fail(Tr("a picture of an unknown kind"));
    return {};
  }
  picture.palette = std::move(palette);
  return picture;
}

// --- The file ---

uint32_t Crc32(std::span<const uint8_t> bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (uint8_t b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::vector<uint8_t> EncodeSaveFile(const SaveHeader& header, const Snapshot& snapshot,
                                    const Compressor* packer) {
  StateWriter h;
  h.Text(header.date);
  h.Text(header.last_line.view());
  h.Text(header.scenario.view());
  h.Picture(header.thumbnail);
  const Snapshot head = h.Take();
  const std::vector<uint8_t> packed = packer ? packer->Pack(snapshot.bytes) : std::vector<uint8_t>{};
  std::vector<uint8_t> out;
  PutTag(out, kSaveMagic);
  PutLe16(out, kSaveVersion);
  PutLe16(out, packed.empty() ? 0 : kSavePacked);
  PutLe32(out, static_cast<uint32_t>(head.bytes.size()));
  out.insert(out.end(), head.bytes.begin(), head.bytes.end());
  if (packed.empty()) {
    PutLe32(out, static_cast<uint32_t>(snapshot.bytes.size()));
    out.insert(out.end(), snapshot.bytes.begin(), snapshot.bytes.end());
  } else {
    PutLe32(out, static_cast<uint32_t>(4 + packed.size()));
    PutLe32(out, static_cast<uint32_t>(snapshot.bytes.size()));
    out.insert(out.end(), packed.begin(), packed.end());
  }
  PutLe32(out, Crc32(out));
  return out;
}

namespace {

FormatResult<SaveHeader> ReadHeader(std::span<const uint8_t> bytes) {
  Snapshot head;
  head.bytes.assign(bytes.begin(), bytes.end());
  StateReader in(head);
  SaveHeader header;
  header.date = in.Text(kMaxHeaderText);
  header.last_line = ByteString(in.Text(kMaxHeaderText));
  header.scenario = ByteString(in.Text(kMaxHeaderText));
  header.thumbnail = in.Picture();
  if (!in.ok()) return Fault(Fill(Tr("damaged save file: %s"), {in.fault()}));
  if (!in.done()) return Fault(Tr("damaged save file: its header has bytes past its end"));
  return header;
}

// The snapshot's bytes from the file's body: as they are, or, packed, the
// state's length unpacked and the stream.
FormatResult<std::vector<uint8_t>> StateBytes(std::span<const uint8_t> body, bool packed,
                                              const Compressor& unpacker) {
  if (!packed) return std::vector<uint8_t>(body.begin(), body.end());
  ByteReader in(body);
  const uint32_t size = in.Le32();
  if (!in.ok()) return Fault(Tr("damaged save file: cut short"));
  if (size > kMaxSnapshotBytes)
    return Fault(Fill(Tr("damaged save file: its state claims %s bytes, more than any save holds"),
                      {std::to_string(size)}));
  std::vector<uint8_t> bytes(size);
  if (!unpacker.Unpack(body.subspan(in.offset()), bytes))
    return Fault(Tr("damaged save file: its state does not unpack"));
  return bytes;
}

// What comes before the header: the magic, the version and the flags.
struct Preamble {
  uint16_t version = 0;
  uint16_t flags = 0;
};

FormatResult<Preamble> ReadPreamble(ByteReader& in) {
  const std::span<const uint8_t> magic = in.Bytes(kSaveMagic.size());
  if (!in.ok() || !std::equal(kSaveMagic.begin(), kSaveMagic.end(), magic.begin()))
    return Fault(Tr("not a Velmor save file"));
  Preamble p;
  p.version = in.Le16();
  const uint16_t written_flags = in.Le16();
  // Before version 3 the flags were written 0 and never read.
  p.flags = p.version >= 3 ? written_flags : 0;
  if (!in.ok()) return Fault(Tr("damaged save file: cut short"));
  if (p.version > kSaveVersion)
    return Fault(Fill(Tr("the save was written by a newer version of Velmor (save format %s; this "
                         "one reads up to %s)"),
                      {std::to_string(p.version), std::to_string(kSaveVersion)}));
  if (p.version == 0) return Fault(Tr("damaged save file: save format 0"));
  if (p.flags & ~kSavePacked)
    return Fault(Fill(Tr("damaged save file: flags %s unknown"), {std::to_string(p.flags)}));
  return p;
}

}  // namespace

FormatResult<SaveFile> DecodeSaveFile(std::span<const uint8_t> bytes, const Compressor& unpacker,
                                      bool header_only) {
  ByteReader in(bytes);
  FormatResult<Preamble> preamble = ReadPreamble(in);
  if (!preamble) return preamble.fault();
  if (bytes.size() < 4 + in.offset()) return Fault(Tr("damaged save file: cut short"));
  const std::size_t body_end = bytes.size() - 4;
  ByteReader tail(bytes, body_end);
  if (Crc32(bytes.first(body_end)) != tail.Le32())
    return Fault(Tr("damaged save file: its check sum does not match"));
  const uint32_t head_size = in.Le32();
  if (!in.ok() || head_size > body_end - in.offset())
    return Fault(Tr("damaged save file: its header runs past its end"));
  FormatResult<SaveHeader> header = ReadHeader(bytes.subspan(in.offset(), head_size));
  if (!header) return header.fault();
  in.Skip(head_size);
  const uint32_t body_size = in.Le32();
  if (!in.ok() || body_size != body_end - in.offset())
    return Fault(Tr("damaged save file: its state has the wrong length"));
  SaveFile file;
  file.header = std::move(*header);
  if (header_only) return file;
  FormatResult<std::vector<uint8_t>> state =
      StateBytes(bytes.subspan(in.offset(), body_size), preamble->flags & kSavePacked, unpacker);
  if (!state) return state.fault();
  file.snapshot.bytes = std::move(*state);
  file.snapshot.version = preamble->version;
  return file;
}

}  // namespace velmor::formats
