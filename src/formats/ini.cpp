#include "formats/ini.h"

#include <cctype>
#include <cstdint>

#include "core/sjis.h"
#include "core/texts.h"

namespace velmor::formats {

namespace {

std::string_view Trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// UTF-16 after its mark, little- or big-endian; a lone surrogate becomes
// U+FFFD, an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool little) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](size_t i) {
    const auto a = static_cast<uint8_t>(bytes[i]), b = static_cast<uint8_t>(bytes[i + 1]);
    return static_cast<uint32_t>(little ? a | (b << 8) : (a << 8) | b);
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace

std::string IniTextAsUtf8(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return Utf16ToUtf8(bytes.substr(2), true);
  if (bytes.starts_with("\xFE\xFF")) return Utf16ToUtf8(bytes.substr(2), false);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return std::string(bytes);
}

std::optional<std::string> ReadIniValue(std::string_view ini_text, std::string_view section,
                                        std::string_view key, std::string* problem) {
  // Mended: a byte-order mark hid the first section, UTF-16 was not read at
  // all and CR alone did not end a line.
  std::string converted;  // only a UTF-16 text is copied
  if (ini_text.starts_with("\xFF\xFE") || ini_text.starts_with("\xFE\xFF")) {
    converted = IniTextAsUtf8(ini_text);
    ini_text = converted;
  } else if (ini_text.starts_with("\xEF\xBB\xBF")) {
    ini_text.remove_prefix(3);
  }
  bool in_section = false;
  size_t pos = 0;
  while (pos < ini_text.size()) {
    size_t end = ini_text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = ini_text.size();
    std::string_view line = Trim(ini_text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      in_section = close != std::string_view::npos && SameName(Trim(line.substr(1, close - 1)), section);
      continue;
    }
    if (!in_section) continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || !SameName(Trim(line.substr(0, eq)), key)) continue;
    std::string_view value = line.substr(eq + 1);
    // Mended: a NUL byte in the value was kept and cut every message that
    // named the folder; the profile service's value ends there.
    value = Trim(value.substr(0, value.find('\0')));
    if (value.size() > kMaxIniValue) {
      // Mended: a value of any length was kept and echoed whole.
      if (problem)
        *problem = Fill(Tr("%s is %s bytes long; no folder's path is longer than %s"),
                        {key, std::to_string(value.size()), std::to_string(kMaxIniValue)});
      return std::nullopt;
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    return std::string(value);
  }
  return std::nullopt;
}

}  // namespace velmor::formats
