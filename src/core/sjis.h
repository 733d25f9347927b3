// Shift-JIS (code page 932) <-> UTF-8, for the font, the tools, the state
// output and the constant texts written in this source code.
#pragma once

#include <string>
#include <string_view>

#include "core/byte_string.h"

namespace velmor {

// Converts Shift-JIS bytes to UTF-8 one character at a time. Byte 0x5C stays
// U+005C (the Japanese font draws it as the yen sign); half-width katakana
// stay half-width. A byte pair that has no Unicode mapping becomes U+FFFD;
// a lone lead byte at the end becomes U+FFFD.
std::string SjisToUtf8(std::string_view sjis);

// Converts UTF-8 to Shift-JIS. Characters without a Shift-JIS form become
// "?" (and set *lossy when given).
std::string Utf8ToSjis(std::string_view utf8, bool* lossy = nullptr);

// Appends the UTF-8 form of code point `c` (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t c);

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool IsValidUtf8(std::string_view bytes);

// A constant text of the program, written in UTF-8 in the source, as the
// Shift-JIS bytes the engine works with.
ByteString Sjis(std::string_view utf8);

// The Unicode code point of one Shift-JIS character (one or two bytes),
// or U+FFFD when it has none.
char32_t SjisCharToCodePoint(const uint8_t* bytes, int length);

}  // namespace velmor
