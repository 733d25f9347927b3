// INI texts (the game's settings file): one value looked up by section and
// key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmor::formats {

// The value of `key` in `section` of an INI text, as the profile service
// returns it: section and key names compared without regard to ASCII case,
// blanks around the value removed, one pair of surrounding quotes removed.
std::optional<std::string> ReadIniValue(std::string_view ini_text, std::string_view section,
                                        std::string_view key);

}  // namespace velmor::formats
