// Text operands printed as double-quoted literals the assembler reads back
// to the same bytes.
#include <cstdio>
#include <optional>

#include "core/sjis.h"
#include "language/disassembly.h"

namespace velmor::language {

namespace {

// Whether the text after escape `e` would read as part of a longer escape
// name (\n followed by "ame" reads as \name).
bool ExtendsEscape(const TextEscape& e, std::string_view rest) {
  std::string_view name = e.name;
  for (const TextEscape& f : TextEscapes()) {
    std::string_view longer = f.name;
    if (longer.size() > name.size() && longer.substr(0, name.size()) == name &&
        rest.substr(0, longer.size() - name.size()) == longer.substr(name.size()))
      return true;
  }
  return false;
}

std::string Hex2(uint8_t b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", b);
  return buf;
}

// One character of text (one byte, or a lead byte and its partner) as UTF-8
// when it converts and converts back to exactly the same bytes.
std::optional<std::string> CharAsUtf8(std::string_view unit) {
  std::string utf8 = SjisToUtf8(unit);
  if (utf8.empty() || utf8 == "\xEF\xBF\xBD") return std::nullopt;
  // A multi-byte character must not turn into ASCII, which has meanings of
  // its own inside a literal.
  for (char c : utf8)
    if (static_cast<uint8_t>(c) < 0x80) return std::nullopt;
  bool lossy = false;
  if (Utf8ToSjis(utf8, &lossy) != unit || lossy) return std::nullopt;
  return utf8;
}

// Writes the escape of the code at raw[i] (and its number); returns how
// many bytes it stands for. `next_as_hex` is set when the byte after it must
// be written as \xHH, lest it read as part of a longer escape name.
size_t WriteEscape(const TextEscape& e, std::string_view raw, size_t i, const FormatStyle& style,
                   std::string& out, bool& next_as_hex) {
  auto b = static_cast<uint8_t>(raw[i]);
  out += '\\';
  out += e.name;
  if (e.arg == TextEscape::Arg::Offset) {
    out += "{" + std::to_string(b - e.code) + "}";
    return 1;
  }
  if (e.arg == TextEscape::Arg::Byte) {
    out += "{" + std::to_string(static_cast<uint8_t>(raw[i + 1])) + "}";
    return 2;
  }
  next_as_hex = ExtendsEscape(e, raw.substr(i + 1));
  if (style.break_texts && e.ends_line && i + 1 < raw.size())
    out += std::string("\"\n") + kContinuationIndent + "\"";
  return 1;
}

// Writes the character at raw[i] (a byte, or a lead byte and its partner);
// returns how many bytes it took.
size_t WriteCharacter(std::string_view raw, size_t i, const FormatStyle& style, std::string& out) {
  auto b = static_cast<uint8_t>(raw[i]);
  if (b == '"') {
    out += "\\\"";
  } else if (b == 0x5C) {
    out += style.backslash ? "\\\\" : "\xC2\xA5";  // else the yen sign in this code page
  } else if (b < 0x20 || b == 0x7F) {
    out += Hex2(b);
  } else if (b < 0x80) {
    out += static_cast<char>(b);
  } else {
    size_t n = IsLeadByte(b) && i + 1 < raw.size() ? 2 : 1;
    if (auto utf8 = CharAsUtf8(raw.substr(i, n))) {
      out += *utf8;
    } else {
      for (size_t k = 0; k < n; ++k) out += Hex2(static_cast<uint8_t>(raw[i + k]));
    }
    return n;
  }
  return 1;
}

}  // namespace

std::string FormatText(std::string_view raw, const FormatStyle& style) {
  std::string out = "\"";
  bool next_as_hex = false;
  for (size_t i = 0; i < raw.size();) {
    auto b = static_cast<uint8_t>(raw[i]);
    if (next_as_hex) {
      next_as_hex = false;
      out += Hex2(b);
      ++i;
      continue;
    }
    const TextEscape* e = EscapeOf(b);
    // A code that takes a number but ends the bytes stays a plain byte.
    if (e && (e->arg != TextEscape::Arg::Byte || i + 1 < raw.size()))
      i += WriteEscape(*e, raw, i, style, out, next_as_hex);
    else
      i += WriteCharacter(raw, i, style, out);
  }
  return out + "\"";
}

}  // namespace velmor::language
