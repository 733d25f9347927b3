// The CP932 code page (Shift-JIS with the NEC and IBM extensions) as tables,
// written at build time by make_cp932_table.py. Only sjis.cpp reads them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velmor::cp932 {

// The single bytes 0x80 to 0xFF: the Unicode character of each, 0 where the
// byte is no character (lead bytes, 0x80, 0xA0).
inline constexpr std::size_t kSingleCount = 128;
extern const std::array<char16_t, kSingleCount> kSingle;

// The two-byte codes: lead bytes 0x81-0x9F, then 0xE0-0xFC; trail bytes
// 0x40-0xFC for each. The Unicode character of each code, 0 where none.
inline constexpr int kTrailFirst = 0x40;
inline constexpr int kTrailCount = 0xFC - 0x40 + 1;
inline constexpr int kLeadCount = (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1);
inline constexpr std::size_t kDoubleCount = std::size_t{kLeadCount} * kTrailCount;
extern const std::array<char16_t, kDoubleCount> kDouble;

// The index of a code in kDouble, or -1 when it is no two-byte code.
constexpr int DoubleIndex(uint8_t lead, uint8_t trail) {
  int row = lead >= 0x81 && lead <= 0x9F   ? lead - 0x81
            : lead >= 0xE0 && lead <= 0xFC ? lead - 0xE0 + (0x9F - 0x81 + 1)
                                           : -1;
  if (row < 0 || trail < kTrailFirst || trail >= kTrailFirst + kTrailCount) return -1;
  return row * kTrailCount + (trail - kTrailFirst);
}

// Unicode to CP932, sorted by `unicode`: a code below 0x100 is one byte.
// Where the code page holds a character more than once, the code Windows
// writes for it.
struct FromUnicode {
  char16_t unicode;
  uint16_t code;
};
extern const std::span<const FromUnicode> kFromUnicode;

}  // namespace velmor::cp932
