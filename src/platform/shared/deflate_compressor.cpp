#include "platform/shared/deflate_compressor.h"

#include <zlib.h>

namespace velmor::platform {

std::vector<uint8_t> DeflateCompressor::Pack(std::span<const uint8_t> bytes) const {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::vector<uint8_t> out(size);
  if (compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()),
                Z_BEST_SPEED) != Z_OK)
    return {};
  out.resize(size);
  out.shrink_to_fit();
  return out;
}

bool DeflateCompressor::Unpack(std::span<const uint8_t> packed, std::span<uint8_t> out) const {
  uLongf size = static_cast<uLongf>(out.size());
  uLong used = static_cast<uLong>(packed.size());
  // uncompress2 stops at the output's end: a stream that would give more
  // than `out` holds fails (Z_BUF_ERROR) instead of writing past it.
  return uncompress2(out.data(), &size, packed.data(), &used) == Z_OK && size == out.size() &&
         used == packed.size();
}

const formats::Compressor& Deflate() {
  static const DeflateCompressor deflate;
  return deflate;
}

}  // namespace velmor::platform
