// The byte limit of the name fields. The fields edit UTF-8 text, but the
// game keeps Shift-JIS and allows at most 8 bytes of it: four full-width or
// eight half-width characters. Like an edit control with a text limit, an
// edit that would pass the limit keeps only as much of the typed or pasted
// text as fits, and characters that Shift-JIS cannot hold are refused.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmor::menus {

// The Shift-JIS length of UTF-8 text (a character without a Shift-JIS form
// counts as the one "?" it would become).
std::size_t SjisLength(std::string_view utf8);

// Whether a typed character may enter a name field: a printable character
// that Shift-JIS can hold.
bool AcceptsChar(char32_t c);

struct LimitedEdit {
  std::string utf8;       // the text the field keeps
  std::size_t cursor = 0;  // byte offset of the caret in utf8
  bool cut = false;        // the edit did not fit and was cut
};

// The field held `before` and an edit made it `after`. The characters the
// edit inserted (between the unchanged beginning and end) are kept only as
// far as they fit in max_bytes of Shift-JIS; the caret stands after the last
// kept one. An edit that fits is kept as it is (cursor: where the inserted
// text ends).
LimitedEdit LimitSjisEdit(std::string_view before, std::string_view after,
                          std::size_t max_bytes);

}  // namespace velmor::menus
