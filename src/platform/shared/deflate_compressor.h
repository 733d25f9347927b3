// The compressor of every front end: zlib's deflate at its fastest level
// (a picture of 640 x 480 packs in a few milliseconds, to about a fifth).
#pragma once

#include "formats/compressor.h"

namespace velmor::platform {

class DeflateCompressor final : public formats::Compressor {
 public:
  std::vector<uint8_t> Pack(std::span<const uint8_t> bytes) const override;
  bool Unpack(std::span<const uint8_t> packed, std::span<uint8_t> out) const override;
};

// The one every front end hands the game (it holds no state).
const formats::Compressor& Deflate();

}  // namespace velmor::platform
