// Length-limited Shift-JIS byte strings: the engine's only string type.
//
// The engine keeps text as the bytes the scenario files and slot files hold;
// conversion to Unicode happens only where text meets the font or a tool.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmor {

// A byte 0x81..0x9F or 0xE0..0xFF starts a two-byte (full-width) character.
constexpr bool IsLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || b >= 0xE0; }

// A string of at most Cap bytes; appending past the cap drops the excess.
template <std::size_t Cap>
class BoundedString {
  static_assert(Cap <= 255, "the length is kept in one byte");

 public:
  static constexpr std::size_t kCapacity = Cap;

  constexpr BoundedString() = default;
  BoundedString(std::string_view bytes) { append(bytes); }  // NOLINT: implicit by design
  BoundedString(const char* bytes) : BoundedString(std::string_view(bytes)) {}  // NOLINT
  template <std::size_t Other>
  explicit BoundedString(const BoundedString<Other>& other) {
    append(other.view());
  }

  std::size_t size() const { return len_; }
  bool empty() const { return len_ == 0; }
  const uint8_t* data() const { return bytes_.data(); }
  uint8_t operator[](std::size_t i) const { return bytes_[i]; }
  std::string_view view() const {
    return {reinterpret_cast<const char*>(bytes_.data()), len_};
  }
  std::string str() const { return std::string(view()); }

  void clear() { len_ = 0; }
  // Returns false when the byte was dropped because the string is full.
  bool push_back(uint8_t b) {
    if (len_ >= Cap) return false;
    bytes_[len_++] = b;
    return true;
  }
  BoundedString& append(std::string_view bytes) {
    std::size_t n = std::min(bytes.size(), Cap - len_);
    std::copy_n(reinterpret_cast<const uint8_t*>(bytes.data()), n, bytes_.data() + len_);
    len_ = static_cast<uint8_t>(len_ + n);
    return *this;
  }
  template <std::size_t Other>
  BoundedString& append(const BoundedString<Other>& other) {
    return append(other.view());
  }
  // The first n bytes (or all of them).
  BoundedString prefix(std::size_t n) const { return BoundedString(view().substr(0, n)); }

  friend bool operator==(const BoundedString& a, const BoundedString& b) {
    return a.view() == b.view();
  }
  friend bool operator==(const BoundedString& a, std::string_view b) { return a.view() == b; }

 private:
  uint8_t len_ = 0;
  std::array<uint8_t, Cap> bytes_{};
};

using ByteString = BoundedString<255>;  // file names, text lines
using Sstr = BoundedString<16>;         // name-table entries

template <std::size_t A, std::size_t B>
BoundedString<A> operator+(BoundedString<A> a, const BoundedString<B>& b) {
  a.append(b.view());
  return a;
}
template <std::size_t A>
BoundedString<A> operator+(BoundedString<A> a, std::string_view b) {
  a.append(b);
  return a;
}

}  // namespace velmor
