#include "menus/sjis_edit_limit.h"

#include "core/controls.h"
#include "core/sjis.h"

namespace velmor::menus {

namespace {

// Length of the UTF-8 sequence that starts with byte b (1 for a stray byte).
std::size_t Utf8CharLength(unsigned char b) {
  if (b < 0xC0) return 1;
  if (b < 0xE0) return 2;
  if (b < 0xF0) return 3;
  return 4;
}

// Whether offset i of s starts a character (is not a continuation byte).
bool StartsChar(std::string_view s, std::size_t i) {
  return i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
}

std::size_t CharSjisLength(std::string_view one_char) {
  if (static_cast<unsigned char>(one_char[0]) < 0x80) return 1;
  return Utf8ToSjis(one_char).size();
}

}  // namespace

std::size_t SjisLength(std::string_view utf8) {
  std::size_t total = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t n = Utf8CharLength(static_cast<unsigned char>(utf8[i]));
    if (i + n > utf8.size()) n = utf8.size() - i;
    total += CharSjisLength(utf8.substr(i, n));
    i += n;
  }
  return total;
}

bool AcceptsChar(char32_t c) { return Edit::Accepts(c); }

LimitedEdit LimitSjisEdit(std::string_view before, std::string_view after,
                          std::size_t max_bytes) {
  // The unchanged beginning and end, on character boundaries.
  std::size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
    ++prefix;
  while (prefix > 0 && !(StartsChar(before, prefix) && StartsChar(after, prefix))) --prefix;
  std::size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
    ++suffix;
  while (suffix > 0 && !(StartsChar(before, before.size() - suffix) &&
                         StartsChar(after, after.size() - suffix)))
    --suffix;

  std::string_view head = after.substr(0, prefix);
  std::string_view inserted = after.substr(prefix, after.size() - prefix - suffix);
  std::string_view tail = after.substr(after.size() - suffix);

  LimitedEdit result;
  if (SjisLength(after) <= max_bytes) {
    result.utf8 = std::string(after);
    result.cursor = prefix + inserted.size();
    return result;
  }
  result.cut = true;
  std::size_t used = SjisLength(head) + SjisLength(tail);
  std::string kept(head);
  for (std::size_t i = 0; i < inserted.size();) {
    std::size_t n = Utf8CharLength(static_cast<unsigned char>(inserted[i]));
    if (i + n > inserted.size()) break;
    std::size_t len = CharSjisLength(inserted.substr(i, n));
    if (used + len > max_bytes) break;
    used += len;
    kept.append(inserted.substr(i, n));
    i += n;
  }
  result.cursor = kept.size();
  kept.append(tail);
  // Text that was already too long (it cannot come from the field itself)
  // loses characters from its end.
  while (SjisLength(kept) > max_bytes && !kept.empty()) {
    std::size_t cut = kept.size() - 1;
    while (cut > 0 && !StartsChar(kept, cut)) --cut;
    kept.erase(cut);
  }
  if (result.cursor > kept.size()) result.cursor = kept.size();
  result.utf8 = std::move(kept);
  return result;
}

}  // namespace velmor::menus
