#include "text/backlog.h"

#include "graphics/color_table.h"
#include "language/language.h"
#include "text/choices.h"
#include "text/message_window.h"

namespace velmor::text {

namespace {

using namespace language::text_code;

// The bytes of one step of a page's text at i: a code with its argument, or
// a character.
std::size_t StepLength(const ByteString& text, std::size_t i) {
  return language::TakesNextByte(text[i]) ? 2 : 1;
}

bool IsCharacter(uint8_t b) { return b != kLineFeed && b != kColor && b != kSize; }

void DrawPage(Bitmap& into, platform::Font& font, BoxRec msg, const BacklogEntry& entry) {
  platform::TextStyle style = entry.style;
  msg.fdx = HalfWidthUnit(style.height);
  msg.fdy = LinePitch(style.height);
  font.DrawText(into, msg.wpx, msg.wpy, entry.label.view(), style);
  msg.csx = 0;
  msg.csy = entry.first_row;
  const ByteString& text = entry.text;
  for (std::size_t i = 0; i < text.size(); i += StepLength(text, i)) {
    const uint8_t b = text[i];
    if (i + StepLength(text, i) > text.size()) break;  // a step cut off at the end
    if (b == kLineFeed) {
      msg.csx = 0;
      msg.csy += msg.fdy;
    } else if (b == kColor) {
      if (text[i + 1] < ColorTable.size()) style.color = ColorTable[text[i + 1]];
    } else if (b == kSize) {
      if (text[i + 1] == 0) continue;
      style.height = -static_cast<int32_t>(text[i + 1]);
      msg.fdx = HalfWidthUnit(style.height);
      msg.fdy = LinePitch(style.height);
    } else {
      const int length = IsLeadByte(b) ? 2 : 1;
      const int32_t advance = length * msg.fdx + 1;
      // A page ends where the window's would overflow; should one not, its
      // text goes on from the top row as the window's would.
      if (WrapForChar(msg, advance)) msg.csy = 0;
      font.DrawChar(into, msg.wpx + msg.csx, msg.wpy + msg.csy, text.data() + i, length, style);
      msg.csx += advance;
    }
  }
}

void DrawChoice(Bitmap& into, platform::Font& font, const BoxRec& msg, const BacklogEntry& entry) {
  const int32_t fdx = HalfWidthUnit(entry.style.height);
  const int32_t fdy = LinePitch(entry.style.height);
  const ByteString row = ChoiceMarker() + entry.text;
  // As the choice drew its rows: each character at its byte offset.
  for (std::size_t c = 0; c < row.size();) {
    const int length = IsLeadByte(row[c]) ? 2 : 1;
    if (c + length > row.size()) break;
    font.DrawChar(into, msg.wpx + static_cast<int32_t>(c) * fdx, msg.wpy, row.data() + c, length,
                  entry.style);
    c += static_cast<std::size_t>(length);
  }
  const int32_t width = (static_cast<int32_t>(row.size()) + 1) * fdx;
  CopyRect(into, Rect{msg.wpx, msg.wpy, msg.wpx + width, msg.wpy + fdy}, into, Rop::NOTSRCCOPY);
}

}  // namespace

bool BacklogEntry::Shown() const {
  if (kind == Kind::Choice || !label.empty()) return true;
  for (std::size_t i = 0; i < text.size(); i += StepLength(text, i))
    if (IsCharacter(text[i])) return true;
  return false;
}

void Backlog::BeginPage(const ByteString& label, const platform::TextStyle& style,
                        int32_t first_row) {
  page_ = BacklogEntry();
  page_.label = label;
  page_.style = style;
  page_.first_row = first_row;
  page_open_ = true;
  page_kept_ = false;
  KeepPageOnceShown();
}

void Backlog::Typed(const uint8_t* bytes, std::size_t length) {
  if (!page_open_) return;  // typing always begins with a page
  const std::string_view typed(reinterpret_cast<const char*>(bytes), length);
  if (page_kept_) {
    entries_.back().text.append(typed);
    return;
  }
  page_.text.append(typed);
  KeepPageOnceShown();
}

void Backlog::KeepPageOnceShown() {
  // A page that never shows anything (a new page at the end of a text) is
  // not kept.
  if (page_kept_ || !page_.Shown()) return;
  Push(page_);
  page_kept_ = true;
}

void Backlog::ChoiceTaken(const ByteString& option, const platform::TextStyle& style) {
  page_open_ = false;
  BacklogEntry entry;
  entry.kind = BacklogEntry::Kind::Choice;
  entry.text = option;
  entry.style = style;
  Push(entry);
}

void Backlog::Push(BacklogEntry entry) {
  entries_.push_back(std::move(entry));
  while (entries_.size() > kMaxEntries) entries_.pop_front();
}

void DrawBacklogEntry(Bitmap& into, platform::Font& font, const BoxRec& msg,
                      const BacklogEntry& entry) {
  DrawBitmap(into, msg.bpx, msg.bpy, msg.box);
  if (entry.kind == BacklogEntry::Kind::Choice)
    DrawChoice(into, font, msg, entry);
  else
    DrawPage(into, font, msg, entry);
}

}  // namespace velmor::text
