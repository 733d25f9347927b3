// A bounds-checked reader over bytes in memory: every read says whether the
// bytes were there, so a decoder never reads past the end of a damaged file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmor::formats {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes, std::size_t at = 0)
      : bytes_(bytes), at_(at <= bytes.size() ? at : bytes.size()), ok_(at <= bytes.size()) {}

  // False once a read or a skip asked for bytes that are not there; every
  // later read then gives 0.
  bool ok() const { return ok_; }
  std::size_t offset() const { return at_; }
  std::size_t remaining() const { return bytes_.size() - at_; }

  uint8_t U8() { return static_cast<uint8_t>(Take(1)); }
  uint16_t Le16() { return static_cast<uint16_t>(Take(2)); }
  uint32_t Le32() { return static_cast<uint32_t>(Take(4)); }
  uint64_t Le64() { return Take(8); }
  int32_t LeS32() { return static_cast<int32_t>(Le32()); }
  uint16_t Be16() { return static_cast<uint16_t>(TakeBigEndian(2)); }
  uint32_t Be32() { return static_cast<uint32_t>(TakeBigEndian(4)); }
  void Skip(std::size_t n) {
    if (!Has(n)) return;
    at_ += n;
  }
  // The next `n` bytes as they are (empty, and not ok, when they are not all
  // there).
  std::span<const uint8_t> Bytes(std::size_t n) {
    if (!Has(n)) return {};
    std::span<const uint8_t> out = bytes_.subspan(at_, n);
    at_ += n;
    return out;
  }

 private:
  bool Has(std::size_t n) {
    if (ok_ && n <= remaining()) return true;
    ok_ = false;
    return false;
  }
  uint64_t Take(std::size_t n) {
    if (!Has(n)) return 0;
    uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= uint64_t{bytes_[at_ + i]} << (8 * i);
    at_ += n;
    return v;
  }
  uint64_t TakeBigEndian(std::size_t n) {
    if (!Has(n)) return 0;
    uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v = (v << 8) | bytes_[at_ + i];
    at_ += n;
    return v;
  }

  std::span<const uint8_t> bytes_;
  std::size_t at_;
  bool ok_;
};

}  // namespace velmor::formats
