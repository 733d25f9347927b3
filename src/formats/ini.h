// INI texts (the game's settings file): one value looked up by section and
// key.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmor::formats {

// The longest value read: a folder's path is never longer.
constexpr std::size_t kMaxIniValue = 4096;
// The most of an INI file read: a settings file is never longer.
constexpr std::size_t kMaxIniFile = 64 * 1024;

// The value of `key` in `section` of an INI text, as the profile service
// returns it: section and key names compared without regard to ASCII case,
// blanks around the value removed, one pair of surrounding quotes removed,
// the value ending at a NUL byte. The text is read as players' editors
// write it: UTF-8 with or without a byte-order mark, UTF-16 with one (taken
// as UTF-8), lines ended by CR LF, LF or CR alone. A value longer than
// kMaxIniValue bytes is not returned; *problem (when given) says so.
std::optional<std::string> ReadIniValue(std::string_view ini_text, std::string_view section,
                                        std::string_view key, std::string* problem = nullptr);

// An INI text as UTF-8 (or the bytes it has): a UTF-16 text with its
// byte-order mark converted, a UTF-8 mark dropped.
std::string IniTextAsUtf8(std::string_view bytes);

}  // namespace velmor::formats
