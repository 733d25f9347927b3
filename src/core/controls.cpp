#include "core/controls.h"

#include <algorithm>

#include "core/byte_string.h"
#include "core/sjis.h"

namespace velmor {

namespace {

// The length of the UTF-8 sequence that starts with byte b; 0 for a byte
// that cannot start one.
std::size_t Utf8Length(unsigned char b) {
  if (b < 0x80) return 1;
  if (b < 0xC2) return 0;
  if (b < 0xE0) return 2;
  if (b < 0xF0) return 3;
  if (b < 0xF5) return 4;
  return 0;
}

// The code point of the well-formed sequence s (as Utf8Length measured it),
// or a value past the end of Unicode when it is malformed.
char32_t DecodeUtf8(std::string_view s) {
  constexpr char32_t kBad = 0x110000;
  auto b = static_cast<unsigned char>(s[0]);
  if (s.size() == 1) return b;
  char32_t c = b & (0x7F >> s.size());
  for (std::size_t i = 1; i < s.size(); ++i) {
    auto t = static_cast<unsigned char>(s[i]);
    if ((t & 0xC0) != 0x80) return kBad;
    c = (c << 6) | (t & 0x3F);
  }
  // Overlong forms are not characters.
  if ((s.size() == 3 && c < 0x800) || (s.size() == 4 && c < 0x10000)) return kBad;
  return c;
}

std::string EncodeUtf8(char32_t c) {
  std::string out;
  AppendUtf8(out, c);
  return out;
}

// The last character boundary of the Shift-JIS text at or before pos.
std::size_t SjisBoundary(const std::string& sjis, std::size_t pos) {
  pos = std::min(pos, sjis.size());
  std::size_t i = 0;
  while (i < pos) {
    std::size_t n = IsLeadByte(static_cast<uint8_t>(sjis[i])) ? 2 : 1;
    if (i + n > pos) break;
    i += n;
  }
  return i;
}

int Utf8Count(std::string_view utf8) {
  int n = 0;
  for (char ch : utf8)
    if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

void Control::Click() {
  if (!usable()) return;
  CommitPanelComposition();
  if (OnClick) OnClick();
}

void Control::DblClick() {
  if (!usable()) return;
  CommitPanelComposition();
  if (OnDblClick) OnDblClick();
}

void Control::CommitPanelComposition() const {
  const Control* top = this;
  while (top->parent != nullptr) top = top->parent;
  if (const auto* panel = dynamic_cast<const Panel*>(top))
    if (auto* edit = dynamic_cast<Edit*>(panel->focus)) edit->CommitComposition();
}

void Edit::SetText(const std::string& sjis) {
  std::string kept;
  for (std::size_t i = 0; i < sjis.size();) {
    std::size_t n = IsLeadByte(static_cast<uint8_t>(sjis[i])) ? 2 : 1;
    if (i + n > sjis.size() || kept.size() + n > max_bytes) break;
    kept.append(sjis, i, n);
    i += n;
  }
  text = std::move(kept);
  caret = anchor = text.size();
}

void Edit::Select(std::size_t anchor_at, std::size_t caret_at) {
  anchor = SjisBoundary(text, anchor_at);
  caret = SjisBoundary(text, caret_at);
}

void Edit::Compose(std::string utf8, int cursor) {
  composition = std::move(utf8);
  composition_caret = std::clamp(cursor, 0, Utf8Count(composition));
}

bool Edit::Commit(std::string_view utf8) {
  composition.clear();
  composition_caret = 0;
  if (utf8.empty()) return true;
  const std::size_t lo = SjisBoundary(text, std::min(anchor, caret));
  const std::size_t hi = SjisBoundary(text, std::max(anchor, caret));
  const std::size_t kept_around = lo + (text.size() - hi);
  const std::size_t room = max_bytes > kept_around ? max_bytes - kept_around : 0;
  std::string inserted;
  bool lost = false;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t n = Utf8Length(static_cast<unsigned char>(utf8[i]));
    if (n == 0 || i + n > utf8.size()) {  // a stray byte is no character
      lost = true;
      ++i;
      continue;
    }
    std::string_view one = utf8.substr(i, n);
    i += n;
    if (!Accepts(DecodeUtf8(one))) {
      lost = true;
      continue;
    }
    std::string sjis = Utf8ToSjis(one);
    if (inserted.size() + sjis.size() > room) {
      lost = true;
      break;
    }
    inserted += sjis;
  }
  text = text.substr(0, lo) + inserted + text.substr(hi);
  caret = anchor = lo + inserted.size();
  if (lost) ++dropped;
  return !lost;
}

void Edit::CommitComposition() {
  if (composition.empty()) return;
  std::string pending = std::move(composition);
  Commit(pending);
}

bool Edit::Accepts(char32_t c) {
  if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) return false;
  if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return false;
  if (c < 0x80) return true;
  bool lossy = false;
  Utf8ToSjis(EncodeUtf8(c), &lossy);
  return !lossy;
}

void Panel::SetFocus(Control* c) {
  if (c == focus) return;
  if (auto* edit = dynamic_cast<Edit*>(focus)) edit->CommitComposition();
  focus = c;
}

}  // namespace velmor
