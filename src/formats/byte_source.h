// Bytes read a part at a time (a sound file too large to hold whole while it
// plays), wherever they are kept.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace velmor::formats {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Exactly out.size() bytes from `at`; false when they cannot all be read.
  virtual bool ReadAt(uint64_t at, std::span<uint8_t> out) = 0;
};

// Bytes held in memory as a source.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t at, std::span<uint8_t> out) override {
    if (at > bytes_.size() || out.size() > bytes_.size() - at) return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at), out.size(), out.begin());
    return true;
  }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace velmor::formats
