#include "core/sjis.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/cp932_table.h"

namespace velmor {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Length of the UTF-8 sequence that starts with byte b (1 for a stray byte).
size_t Utf8Length(uint8_t b) {
  if (b < 0xC0) return 1;
  if (b < 0xE0) return 2;
  if (b < 0xF0) return 3;
  return 4;
}

// The character of one Shift-JIS character of `length` bytes, 0 when it has
// none (a lone lead byte, a pair that is no code). Bytes below 0x80 are the
// caller's to handle.
char16_t Cp932ToUnicode(const uint8_t* bytes, size_t length) {
  if (length == 1) return bytes[0] < 0x80 ? 0 : cp932::kSingle[bytes[0] - 0x80];
  if (length != 2 || !IsLeadByte(bytes[0])) return 0;
  const int index = cp932::DoubleIndex(bytes[0], bytes[1]);
  return index < 0 ? 0 : cp932::kDouble[static_cast<size_t>(index)];
}


// The code point of one whole UTF-8 sequence (as Utf8Length cut it), or -1
// when it is none: a stray or bad continuation byte, a cut-off sequence, an
// overlong form, a surrogate, or beyond U+10FFFF.
int32_t DecodeUtf8(std::string_view one) {
  const auto* u = reinterpret_cast<const uint8_t*>(one.data());
  const size_t n = one.size();
  if (u[0] < 0xC2 || u[0] > 0xF4 || n != Utf8Length(u[0])) return -1;
  for (size_t k = 1; k < n; ++k)
    if ((u[k] & 0xC0) != 0x80) return -1;
  int32_t c = u[0] & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) c = (c << 6) | (u[k] & 0x3F);
  const int32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
  if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return -1;
  return c;
}

// The CP932 code of a character, or -1 when the code page has none. The
// table is turned into a direct lookup the first time (128 KiB): texts are
// converted at every error box and name, often under the fuzzers' tracing.
int32_t UnicodeToCp932(int32_t c) {
  static constexpr uint16_t kNone = 0xFFFF;  // no CP932 code is this high
  static const std::vector<uint16_t> codes = [] {
    std::vector<uint16_t> t(0x10000, kNone);
    // Where the table gives a character several codes, the first is the one.
    for (const cp932::FromUnicode& p : cp932::kFromUnicode)
      if (t[p.unicode] == kNone) t[p.unicode] = p.code;
    return t;
  }();
  if (c < 0 || c > 0xFFFF) return -1;
  const uint16_t code = codes[static_cast<size_t>(c)];
  return code == kNone ? -1 : code;
}

// Language tags (U+E0000 to U+E007F) say nothing a Shift-JIS text can hold:
// they are left out, and nothing is lost.
bool IsLanguageTag(int32_t c) { return c >= 0xE0000 && c <= 0xE007F; }

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
  std::string out;
  out.reserve(sjis.size() * 3 / 2);
  size_t i = 0;
  while (i < sjis.size()) {
    uint8_t b = static_cast<uint8_t>(sjis[i]);
    if (b < 0x80) {  // ASCII, 0x5C included: the font shows it as the yen sign
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    size_t n = IsLeadByte(b) ? 2 : 1;
    if (i + n > sjis.size()) {  // a lone lead byte at the end
      out.append(kReplacement);
      break;
    }
    const char16_t c = Cp932ToUnicode(reinterpret_cast<const uint8_t*>(sjis.data() + i), n);
    if (c == 0)
      out.append(kReplacement);
    else
      AppendUtf8(out, c);
    i += n;
  }
  return out;
}

std::string Utf8ToSjis(std::string_view utf8, bool* lossy) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    uint8_t b = static_cast<uint8_t>(utf8[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    size_t n = std::min(Utf8Length(b), utf8.size() - i);
    // The yen sign is byte 0x5C in this code page (the table has it).
    const int32_t c = DecodeUtf8(utf8.substr(i, n));
    const int32_t code = c < 0 ? -1 : UnicodeToCp932(c);
    if (code >= 0x100) {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    } else if (code >= 0) {
      out.push_back(static_cast<char>(code));
    } else if (!IsLanguageTag(c)) {
      out.push_back('?');
      if (lossy) *lossy = true;
    }
    i += n;
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    auto b = static_cast<uint8_t>(bytes[i]);
    size_t n = b < 0x80 ? 1 : b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3
             : b >= 0xF0 && b < 0xF5                ? 4
                                                    : 0;
    if (n == 0 || i + n > bytes.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<uint8_t>(bytes[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

ByteString Sjis(std::string_view utf8) { return ByteString(Utf8ToSjis(utf8)); }

char32_t SjisCharToCodePoint(const uint8_t* bytes, int length) {
  if (length == 1 && bytes[0] < 0x80) return bytes[0];
  const char16_t c = length < 1 ? 0 : Cp932ToUnicode(bytes, static_cast<size_t>(length));
  return c == 0 ? 0xFFFD : c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace velmor
