// Bytes made smaller and back, losslessly: the snapshots of saves of our
// own, and what the game keeps in memory a long time (the going-back
// history's older pictures). What Pack gives is a zlib stream (deflate,
// RFC 1950) on every platform, since saves keep it and move between them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velmor::formats {

class Compressor {
 public:
  virtual ~Compressor() = default;
  // The bytes packed; empty when the platform cannot pack them (the
  // caller keeps them as they are).
  virtual std::vector<uint8_t> Pack(std::span<const uint8_t> bytes) const = 0;
  // Exactly `out.size()` bytes from what Pack gave; false when the packed
  // bytes do not give exactly that many.
  virtual bool Unpack(std::span<const uint8_t> packed, std::span<uint8_t> out) const = 0;
};

}  // namespace velmor::formats
