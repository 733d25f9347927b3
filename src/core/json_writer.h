// A small JSON writer: stable key order as written, texts in UTF-8.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/sjis.h"

namespace velmor {

// A small writer: each value or key is preceded by a comma unless it opens
// an object or array or follows a key.
class Json {
 public:
  std::string out;

  void Key(const char* k) {
    Separate();
    String(k);
    out += ':';
    first_ = true;
  }
  void Open(char c) {
    Separate();
    out += c;
    first_ = true;
  }
  void Close(char c) {
    out += c;
    first_ = false;
  }
  void Number(long long n) {
    Separate();
    out += std::to_string(n);
  }
  void Bool(bool b) {
    Separate();
    out += b ? "true" : "false";
  }
  void Null() {
    Separate();
    out += "null";
  }
  void Text(std::string_view utf8) {
    Separate();
    String(utf8);
  }
  void Sjis(std::string_view sjis) { Text(SjisToUtf8(sjis)); }

 private:
  void Separate() {
    if (!first_) out += ',';
    first_ = false;
  }
  void String(std::string_view s) {
    out += '"';
    for (char ch : s) {
      auto c = static_cast<unsigned char>(ch);
      if (c == '"' || c == '\\') {
        out += '\\';
        out += ch;
      } else if (c < 0x20) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        out += buf;
      } else {
        out += ch;
      }
    }
    out += '"';
  }
  bool first_ = true;
};

}  // namespace velmor
