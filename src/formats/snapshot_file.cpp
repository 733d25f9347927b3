#include "formats/snapshot_file.h"

#include <algorithm>
#include <array>

#include "core/texts.h"
#include "formats/byte_reader.h"
#include "formats/byte_writer.h"

namespace velmor::formats {

namespace {

// How a picture is kept in a snapshot.
enum PictureTag : uint8_t { kPacked = 0, kAgainstReference = 1, kAnchor = 2, kAgainstAnchor = 3 };
// The kinds of run in packed pixels: equal to the reference, one colour
// repeated, literal pixels.
enum RunKind : uint32_t { kSame = 0, kRepeat = 1, kLiteral = 2 };
constexpr std::size_t kMaxPalette = 256;
constexpr std::size_t kMaxHeaderText = 1024;

void PutVarint(std::vector<uint8_t>& out, uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<uint8_t>(v | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<uint8_t>(v));
}

bool GetVarint(std::span<const uint8_t> in, std::size_t& at, uint64_t& v) {
  v = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (at >= in.size()) return false;
    const uint8_t b = in[at++];
    v |= static_cast<uint64_t>(b & 0x7F) << shift;
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

void PutRun(std::vector<uint8_t>& out, RunKind kind, std::size_t count) {
  PutVarint(out, (static_cast<uint64_t>(count) << 2) | kind);
}

// Where the run of pixels equal to their first starting at i ends.
std::size_t RepeatEnd(const Color* p, std::size_t i, std::size_t n) {
  std::size_t j = i + 1;
  while (j < n && p[j] == p[i]) ++j;
  return j;
}

}  // namespace

std::vector<uint8_t> PackPixels(const Bitmap& picture, const Bitmap* reference) {
  std::vector<uint8_t> out;
  PutVarint(out, static_cast<uint32_t>(picture.width()));
  PutVarint(out, static_cast<uint32_t>(picture.height()));
  if (picture.empty()) return out;
  const std::size_t n = picture.pixels().size();
  const Color* p = picture.pixels().data();
  const Color* r = reference && reference->width() == picture.width() &&
                           reference->height() == picture.height()
                       ? reference->pixels().data()
                       : nullptr;
  std::size_t i = 0;
  while (i < n) {
    if (r && p[i] == r[i]) {
      std::size_t j = i + 1;
      while (j < n && p[j] == r[j]) ++j;
      PutRun(out, kSame, j - i);
      i = j;
      continue;
    }
    const std::size_t repeat = RepeatEnd(p, i, n);
    if (repeat - i >= 3) {
      PutRun(out, kRepeat, repeat - i);
      PutLe32(out, p[i]);
      i = repeat;
      continue;
    }
    // Literal pixels up to the next one equal to the reference or the
    // start of a run of three.
    std::size_t j = i + 1;
    while (j < n && !(r && p[j] == r[j]) && !(j + 2 < n && p[j] == p[j + 1] && p[j] == p[j + 2]))
      ++j;
    PutRun(out, kLiteral, j - i);
    for (std::size_t k = i; k < j; ++k) PutLe32(out, p[k]);
    i = j;
  }
  return out;
}

FormatResult<Bitmap> UnpackPixels(std::span<const uint8_t> bytes, const Bitmap* reference) {
  std::size_t at = 0;
  uint64_t w = 0, h = 0;
  if (!GetVarint(bytes, at, w) || !GetVarint(bytes, at, h)) return Fault(Tr("picture cut short"));
  if (w > kMaxSnapshotPictureSide || h > kMaxSnapshotPictureSide)
    return Fault(Fill(Tr("picture larger than %s pixels"), {std::to_string(kMaxSnapshotPictureSide)}));
  if (w == 0 || h == 0) return Bitmap();
  Bitmap picture(static_cast<int32_t>(w), static_cast<int32_t>(h));
  const Color* r = reference && reference->width() == picture.width() &&
                           reference->height() == picture.height()
                       ? reference->pixels().data()
                       : nullptr;
  Color* p = picture.row(0);
  const std::size_t n = static_cast<std::size_t>(w * h);
  std::size_t i = 0;
  while (i < n) {
    uint64_t head = 0;
    if (!GetVarint(bytes, at, head)) return Fault(Tr("picture cut short"));
    const uint64_t count = head >> 2;
    if (count == 0 || count > n - i) return Fault(Tr("picture run past its end"));
    switch (head & 3) {
      case kSame:
        if (!r) return Fault(Tr("picture packed against a picture it does not have"));
        std::copy_n(r + i, count, p + i);
        break;
      case kRepeat: {
        ByteReader in(bytes, at);
        const Color c = in.Le32();
        if (!in.ok()) return Fault(Tr("picture cut short"));
        at += 4;
        std::fill_n(p + i, count, c);
        break;
      }
      case kLiteral: {
        if (bytes.size() - at < count * 4) return Fault(Tr("picture cut short"));
        ByteReader in(bytes, at);
        for (uint64_t k = 0; k < count; ++k) p[i + k] = in.Le32();
        at += count * 4;
        break;
      }
      default: return Fault(Tr("picture with an unknown kind of run"));
    }
    i += count;
  }
  if (at != bytes.size()) return Fault(Tr("picture with bytes past its end"));
  return picture;
}

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
    std::size_t z = i;
    while (z < bytes.size() && bytes[z] == 0) ++z;
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

std::vector<uint8_t> EncodeSaveFile(const SaveHeader& header, const Snapshot& snapshot) {
  StateWriter h;
  h.Text(header.date);
  h.Text(header.last_line.view());
  h.Text(header.scenario.view());
  h.Picture(header.thumbnail);
  const Snapshot head = h.Take();
  std::vector<uint8_t> out;
  PutTag(out, kSaveMagic);
  PutLe16(out, kSaveVersion);
  PutLe16(out, 0);
  PutLe32(out, static_cast<uint32_t>(head.bytes.size()));
  out.insert(out.end(), head.bytes.begin(), head.bytes.end());
  PutLe32(out, static_cast<uint32_t>(snapshot.bytes.size()));
  out.insert(out.end(), snapshot.bytes.begin(), snapshot.bytes.end());
  PutLe32(out, Crc32(out));
  return out;
}

namespace {

FormatResult<SaveHeader> ReadHeader(std::span<const uint8_t> bytes) {
  Snapshot head{{bytes.begin(), bytes.end()}, {}};
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

}  // namespace

FormatResult<SaveFile> DecodeSaveFile(std::span<const uint8_t> bytes, bool header_only) {
  ByteReader in(bytes);
  if (bytes.size() < kSaveMagic.size() ||
      !std::equal(kSaveMagic.begin(), kSaveMagic.end(), bytes.begin()))
    return Fault(Tr("not a Velmor save file"));
  in.Skip(kSaveMagic.size());
  const uint16_t version = in.Le16();
  in.Le16();
  if (!in.ok()) return Fault(Tr("damaged save file: cut short"));
  if (version > kSaveVersion)
    return Fault(Fill(Tr("the save was written by a newer version of Velmor (save format %s; this "
                         "one reads up to %s)"),
                      {std::to_string(version), std::to_string(kSaveVersion)}));
  if (version == 0) return Fault(Tr("damaged save file: save format 0"));
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
  if (!header_only) {
    const auto body = bytes.subspan(in.offset(), body_size);
    file.snapshot.bytes.assign(body.begin(), body.end());
    file.snapshot.version = version;
  }
  return file;
}

}  // namespace velmor::formats
