#include "language/text_literal.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/sjis.h"
#include "language/language.h"
#include "language/operand_ranges.h"

namespace velmor::language {

namespace {

// The text escapes, the longest name first (\name{N} before \n).
const std::vector<const TextEscape*>& EscapesByLength() {
  static const std::vector<const TextEscape*> all = [] {
    std::vector<const TextEscape*> v;
    for (const TextEscape& e : TextEscapes()) v.push_back(&e);
    std::stable_sort(v.begin(), v.end(), [](const TextEscape* a, const TextEscape* b) {
      return std::string_view(a->name).size() > std::string_view(b->name).size();
    });
    return v;
  }();
  return all;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A decimal or 0x hex number of at most a few digits; -1 when it is not one.
int EscapeNumber(std::string_view d) {
  int base = 10;
  if (d.size() > 2 && (d.substr(0, 2) == "0x" || d.substr(0, 2) == "0X")) {
    base = 16;
    d.remove_prefix(2);
  }
  if (d.empty() || d.size() > 5) return -1;
  int v = 0;
  for (char c : d) {
    int h = HexValue(c);
    if (h < 0 || h >= base) return -1;
    v = v * base + h;
  }
  return v;
}

// \name{N} or \c{N} at s[after] (just past the name): the bytes written;
// returns where the text goes on.
size_t NumberedEscape(const TextEscape& e, std::string_view s, size_t after, std::string& out,
                      int line) {
  std::string name = e.name;
  size_t close = s.find('}', after);
  if (close == std::string_view::npos) Fail(line, "missing '}' after \\" + name + "{");
  std::string_view digits = s.substr(after + 1, close - after - 1);
  int limit = e.arg == TextEscape::Arg::Byte ? 255 : e.count - 1;
  int v = EscapeNumber(digits);
  if (v < 0 || v > limit)
    Fail(line, "\\" + name + "{N} takes 0.." + std::to_string(limit) + ", not '" +
                   std::string(digits) + "'");
  if (e.arg == TextEscape::Arg::Byte) {
    out.push_back(static_cast<char>(e.code));
    out.push_back(static_cast<char>(v));
  } else {
    out.push_back(static_cast<char>(e.code + v));
  }
  return close + 1;
}

// The escape after a backslash at s[i]; returns where the text goes on.
size_t Escape(std::string_view s, size_t i, std::string& out, int line) {
  if (i >= s.size()) Fail(line, "a backslash at the end of a string");
  char c = s[i];
  if (c == '"' || c == '\\') {
    out.push_back(c == '"' ? '"' : '\x5C');
    return i + 1;
  }
  if (c == 'x') {
    int hi = i + 1 < s.size() ? HexValue(s[i + 1]) : -1;
    int lo = i + 2 < s.size() ? HexValue(s[i + 2]) : -1;
    if (hi < 0 || lo < 0) Fail(line, "\\x takes two hex digits, as in \\x81");
    out.push_back(static_cast<char>(hi * 16 + lo));
    return i + 3;
  }
  std::string needs_number;
  for (const TextEscape* e : EscapesByLength()) {
    std::string_view name = e->name;
    if (s.substr(i, name.size()) != name) continue;
    size_t after = i + name.size();
    if (e->arg == TextEscape::Arg::None) {
      out.push_back(static_cast<char>(e->code));
      return after;
    }
    if (after < s.size() && s[after] == '{') return NumberedEscape(*e, s, after, out, line);
    if (needs_number.empty())
      needs_number = "\\" + std::string(name) + " takes a number in braces, as in \\" +
                     std::string(name) + "{1}";
  }
  if (!needs_number.empty()) Fail(line, needs_number);
  Fail(line, "unknown escape '\\" + std::string(1, c) +
                 "' (the escapes are \\n \\p \\w \\c{N} \\s{N} \\name{N} \\xHH \\\" \\\\)");
}

// The bytes of a UTF-8 sequence starting with `lead`; 0 when it cannot start one.
size_t Utf8Length(unsigned char lead) {
  return lead < 0x80 ? 1 : lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
}

std::string Unescape(const Token& t) {
  std::string_view s = t.text;
  std::string out;
  size_t i = 0;
  while (i < s.size()) {
    auto ch = static_cast<unsigned char>(s[i]);
    if (ch == '\\') {
      i = Escape(s, i + 1, out, t.line);
      continue;
    }
    size_t n = Utf8Length(ch);
    bool valid = n > 0 && i + n <= s.size();
    for (size_t k = 1; valid && k < n; ++k) valid = (static_cast<uint8_t>(s[i + k]) & 0xC0) == 0x80;
    if (!valid) Fail(t.line, "the string is not valid UTF-8");
    if (n == 1) {
      out.push_back(static_cast<char>(ch));
    } else {
      bool lossy = false;
      std::string sjis = Utf8ToSjis(s.substr(i, n), &lossy);
      if (lossy)
        Fail(t.line, "'" + std::string(s.substr(i, n)) +
                         "' has no Shift-JIS form (write the bytes as \\xHH)");
      out += sjis;
    }
    i += n;
  }
  return out;
}

}  // namespace

std::string TextBytes(Cursor& c) {
  if (!c.IsKind(TokenKind::String))
    Fail(c.line(), "expected a string in double quotes, found " + c.Found());
  std::string bytes;
  while (c.IsKind(TokenKind::String)) bytes += Unescape(c.Next());
  return bytes;
}

// The engine reads a lead byte or a colour or size code together with the
// byte after it, whatever it is, and stops at the first other 0 byte.
void CheckText(std::string_view bytes, int line) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    auto b = static_cast<uint8_t>(bytes[i]);
    if (b == 0) Fail(line, "a 0 byte would end the text early");
    if (TakesNextByte(b) && ++i == bytes.size()) {
      char buf[128];
      std::snprintf(buf, sizeof buf,
                    "the text ends with byte 0x%02X, which would take the ending 0 byte "
                    "as its second byte",
                    b);
      Fail(line, buf);
    }
  }
  if (auto fault = TextFault(bytes)) Fail(line, *fault);
}

}  // namespace velmor::language
