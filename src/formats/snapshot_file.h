// The game's own save file and the snapshot it carries: the whole state of
// a game at a wait, as bytes. A snapshot is written field by field by the
// game (StateWriter) and read back in the same order (StateReader); its
// pictures are packed (runs of one colour, runs equal to a reference
// picture, literal pixels). The same snapshot kept in memory for going back
// shares its pictures with the steps before it where they did not change.
//
// The file: "VELMORSV", the format's version (16 bits), its flags (16 bits,
// 0 before version 3), the header's length and the header (the date, the
// last message line, the scenario file, the thumbnail), the snapshot's
// length and the snapshot, and a CRC-32 of everything before it. A packed
// snapshot (kSavePacked) is its length unpacked (32 bits) and a zlib stream
// (the pictures in it are drawn art, which runs of one colour pack poorly:
// the demo's saves to a third); the header is never packed, so that the
// save screen reads it at once. Written whole into a temporary file and
// renamed over the old one (platform::Files::WriteFile).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/byte_string.h"
#include "formats/compressor.h"
#include "formats/packed_pixels.h"
#include "formats/result.h"
#include "graphics/bitmap.h"

namespace velmor::formats {

constexpr std::string_view kSaveMagic{"VELMORSV", 8};
// 1: the first; 2: the music's place in the piece after whether it plays;
// 3: the snapshot may be packed (its fields as in 2).
constexpr uint16_t kSaveVersion = 3;
// The flags' one bit: the snapshot is packed.
constexpr uint16_t kSavePacked = 1;
// No snapshot comes near this size unpacked: one that claims more is not
// unpacked (a few bytes of a zlib stream can claim a thousand times more).
constexpr std::size_t kMaxSnapshotBytes = 64u << 20;
// Pictures kept by the snapshots in memory: for each place a picture takes
// in a snapshot (its order), the picture the next snapshot is packed
// against. A picture that stays shares its pixels with it.
struct PictureAnchors {
  // For each place, the last few pictures kept whole, newest first: a
  // picture is packed against the one it differs least from (a game that
  // goes back and forth between two screens keeps both).
  std::vector<std::vector<Bitmap>> anchors;
  static constexpr std::size_t kPerPlace = 4;
  // A picture whose difference to every anchor packs larger than this
  // becomes an anchor itself.
  std::size_t limit = 64 * 1024;
};

// A snapshot: its bytes and, kept in memory, the pictures they refer to.
struct Snapshot {
  std::vector<uint8_t> bytes;
  std::vector<Bitmap> pictures;  // shared pixels: see MemoryBytes
  // The save format its bytes follow: an older one read from a file lacks
  // the fields added since (the reader gives them their old meaning).
  uint16_t version = kSaveVersion;
  // Why a reader would refuse these bytes, though they were written whole
  // (a picture wider or higher than a snapshot keeps); empty when none.
  std::string unreadable;
  // What it costs: its bytes, and the pixels of pictures that no snapshot
  // counted before (`seen` remembers them across a history).
  std::size_t MemoryBytes(std::unordered_set<const void*>* seen) const;
};

class StateWriter {
 public:
  // Into a file (`anchors` null) or kept in memory.
  explicit StateWriter(PictureAnchors* anchors = nullptr) : anchors_(anchors) {}

  void U8(uint32_t v) { out_.bytes.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v);
  void U32(uint32_t v);
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void Bool(bool v) { U8(v ? 1 : 0); }
  void Bytes(std::span<const uint8_t> bytes);
  void Text(std::string_view text) {
    Bytes({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  }
  // Zero bytes packed: the 64 KiB scenario image costs its file's size.
  void Sparse(std::span<const uint8_t> bytes);
  // A picture, packed against `reference` in a file.
  void Picture(const Bitmap& picture, const Bitmap* reference = nullptr);

  Snapshot Take() { return std::move(out_); }

 private:
  PictureAnchors* anchors_;
  Snapshot out_;
  std::size_t pictures_ = 0;
};

// Reads what a StateWriter wrote, in the same order. A read past the end or
// a picture that does not unpack makes it fail (ok() false, fault() says
// why), and every later read gives zeros.
class StateReader {
 public:
  explicit StateReader(const Snapshot& snapshot) : in_(snapshot) {}

  uint32_t U8();
  uint32_t U16();
  uint32_t U32();
  int32_t I32() { return static_cast<int32_t>(U32()); }
  bool Bool() { return U8() != 0; }
  std::vector<uint8_t> Bytes(std::size_t max);
  std::string Text(std::size_t max);
  // Exactly into `into`; a size that differs fails.
  void Sparse(std::span<uint8_t> into);
  Bitmap Picture(const Bitmap* reference = nullptr);

  bool ok() const { return fault_.empty(); }
  // All the bytes were read.
  bool done() const { return at_ == in_.bytes.size(); }
  const std::string& fault() const { return fault_; }
  void Fail(const std::string& why) {
    if (fault_.empty()) fault_ = why;
  }

 private:
  bool Has(std::size_t n);
  const Snapshot& in_;
  std::size_t at_ = 0;
  std::size_t pictures_ = 0;
  std::string fault_;
};

// What the save/load screen shows of a save without reading its snapshot.
struct SaveHeader {
  std::string date;        // "2026-12-08 23:45", as the player's clock said
  ByteString last_line;    // the last message line (Shift-JIS)
  ByteString scenario;     // the scenario file (Shift-JIS)
  Bitmap thumbnail;        // the screen, small
};

struct SaveFile {
  SaveHeader header;
  Snapshot snapshot;  // its bytes only
};

// The snapshot packed by `packer`; kept as it is without one, or when the
// packer cannot pack it.
std::vector<uint8_t> EncodeSaveFile(const SaveHeader& header, const Snapshot& snapshot,
                                    const Compressor* packer);
// Refused with a clear reason: not a save of ours, from a newer version,
// damaged (cut short, a check sum that does not match, a header that does
// not read, a packed snapshot that does not unpack). With `header_only` the
// snapshot is left empty (and not unpacked).
FormatResult<SaveFile> DecodeSaveFile(std::span<const uint8_t> bytes, const Compressor& unpacker,
                                      bool header_only = false);

// The CRC-32 (IEEE) of bytes.
uint32_t Crc32(std::span<const uint8_t> bytes);

}  // namespace velmor::formats
