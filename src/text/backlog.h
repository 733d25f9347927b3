// The backlog: the last pages of text the player saw in the message window,
// and the options taken at choices, kept so that the player can read them
// again. The message window and the choices tell it what they draw; it
// draws a page again as the window showed it, with the window's frame,
// font and layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "core/byte_string.h"
#include "graphics/bitmap.h"
#include "platform/font.h"

namespace velmor::text {

struct BoxRec;

struct BacklogEntry {
  enum class Kind { Page, Choice };
  Kind kind = Kind::Page;
  // The speaker label as drawn ("【 name 】", names as they were then);
  // empty when the page shows none.
  ByteString label;
  // A page: its characters with the line feed, colour and size codes
  // between them (never a page wait or a new page). A choice: the option
  // taken, without its marker.
  ByteString text;
  // The font in force when the page began, and the row its text began on
  // (relative to the text origin, as csy).
  platform::TextStyle style;
  int32_t first_row = 0;

  // Whether the page shows anything: a label or a character.
  bool Shown() const;
};

class Backlog {
 public:
  static constexpr std::size_t kMaxEntries = 200;

  const std::deque<BacklogEntry>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const BacklogEntry& at(std::size_t i) const { return entries_[i]; }

  // A new page of the window begins, with `label` (or none) drawn in
  // `style`, its text on row `first_row`. It is kept from the moment it
  // shows something.
  void BeginPage(const ByteString& label, const platform::TextStyle& style, int32_t first_row);
  // A character (one or two bytes) or a code with its argument typed on
  // the current page.
  void Typed(const uint8_t* bytes, std::size_t length);
  // A choice was answered with `option` (without the marker).
  void ChoiceTaken(const ByteString& option, const platform::TextStyle& style);

 private:
  void KeepPageOnceShown();
  void Push(BacklogEntry entry);

  std::deque<BacklogEntry> entries_;
  BacklogEntry page_;        // the page being typed
  bool page_open_ = false;   // a page is being typed
  bool page_kept_ = false;   // ... and is the last entry

};

// Draws `entry` into `into` as the message window showed it: the frame
// picture at its place, the label, then the text laid out as typing lays
// it out (a choice: its option on the first text row, marker first,
// inverted as when it was picked). `msg` gives the frame and its geometry;
// its typing position is not used.
void DrawBacklogEntry(Bitmap& into, platform::Font& font, const BoxRec& msg,
                      const BacklogEntry& entry);

}  // namespace velmor::text
