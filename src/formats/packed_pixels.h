// Pixels packed for a snapshot: the width and height, then runs, each a
// varint of its length (in pixels) shifted left by two over its kind: the
// pixels equal to the reference picture's, one colour repeated (its 32 bits
// follow), or literal pixels (32 bits each).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "formats/result.h"
#include "graphics/bitmap.h"

namespace velmor::formats {

// A picture in a snapshot is at most this wide and high: a damaged length
// can never ask for more memory than the largest screen the game uses.
constexpr int32_t kMaxSnapshotPictureSide = 4096;

// The pixels of `picture` packed; where `reference` has the same size, the
// pixels equal to it cost almost nothing.
std::vector<uint8_t> PackPixels(const Bitmap& picture, const Bitmap* reference = nullptr);
// The picture packed bytes give; `reference` as it was when packing.
FormatResult<Bitmap> UnpackPixels(std::span<const uint8_t> bytes,
                                  const Bitmap* reference = nullptr);

namespace packed_pixels {

enum RunKind : uint32_t { kSame = 0, kRepeat = 1, kLiteral = 2 };

inline void PutVarint(std::vector<uint8_t>& out, uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<uint8_t>(v | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<uint8_t>(v));
}

inline bool GetVarint(std::span<const uint8_t> in, std::size_t& at, uint64_t& v) {
  v = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (at >= in.size()) return false;
    const uint8_t b = in[at++];
    v |= static_cast<uint64_t>(b & 0x7F) << shift;
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

}  // namespace packed_pixels

}  // namespace velmor::formats
