// Building scenario bytecode by hand in tests.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmor::testing {

class Code {
 public:
  Code& b(uint8_t v) { bytes.push_back(v); return *this; }
  Code& w(uint16_t v) { return b(static_cast<uint8_t>(v & 0xFF)).b(static_cast<uint8_t>(v >> 8)); }
  // A string operand: the bytes and the ending 0.
  Code& s(std::string_view text) {
    for (char c : text) b(static_cast<uint8_t>(c));
    return b(0);
  }
  // Expression pieces.
  Code& push(uint16_t v) { return b(21).w(v); }
  Code& pushw(uint16_t n) { return b(22).w(n); }
  Code& pushf(uint16_t n) { return b(23).w(n); }
  Code& end() { return b(0); }
  uint16_t here() const { return static_cast<uint16_t>(bytes.size()); }
  // Overwrites a word at `at` (a forward address).
  void patch(uint16_t at, uint16_t v) {
    bytes[at] = static_cast<uint8_t>(v & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>(v >> 8);
  }

  std::vector<uint8_t> bytes;
};

}  // namespace velmor::testing
