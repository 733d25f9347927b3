#include "core/sjis.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace velmor {
namespace {

// One iconv descriptor per direction, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts one complete character; false when it has no mapping.
  bool convert(std::string_view in, std::string& out) {
    if (!ok()) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    char buffer[16];
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = buffer;
    size_t dst_left = sizeof buffer;
    if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1) || src_left != 0)
      return false;
    out.append(buffer, static_cast<size_t>(dst - buffer));
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& ToUtf8() {
  static thread_local Converter c("UTF-8", "CP932");
  return c;
}
Converter& ToSjis() {
  static thread_local Converter c("CP932", "UTF-8");
  return c;
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Length of the UTF-8 sequence that starts with byte b (1 for a stray byte).
size_t Utf8Length(uint8_t b) {
  if (b < 0xC0) return 1;
  if (b < 0xE0) return 2;
  if (b < 0xF0) return 3;
  return 4;
}

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
    if (!ToUtf8().convert(sjis.substr(i, n), out)) out.append(kReplacement);
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
    std::string_view one = utf8.substr(i, n);
    if (one == "\xC2\xA5") {  // the yen sign is byte 0x5C in this code page
      out.push_back('\x5C');
    } else if (!ToSjis().convert(one, out)) {
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
  std::string utf8;
  if (!ToUtf8().convert(std::string_view(reinterpret_cast<const char*>(bytes), length), utf8))
    return 0xFFFD;
  // Decode the UTF-8 of that one character.
  const auto* u = reinterpret_cast<const uint8_t*>(utf8.data());
  switch (utf8.size()) {
    case 1: return u[0];
    case 2: return ((u[0] & 0x1Fu) << 6) | (u[1] & 0x3Fu);
    case 3: return ((u[0] & 0x0Fu) << 12) | ((u[1] & 0x3Fu) << 6) | (u[2] & 0x3Fu);
    case 4:
      return ((u[0] & 0x07u) << 18) | ((u[1] & 0x3Fu) << 12) | ((u[2] & 0x3Fu) << 6) |
             (u[3] & 0x3Fu);
    default: return 0xFFFD;
  }
}

}  // namespace velmor
