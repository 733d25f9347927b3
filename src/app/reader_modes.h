// Two helps for reading that the game itself does not have: "skip read
// text", which passes the messages the player has read before as the Ctrl
// key would, and "auto", which goes on from a click wait by itself after
// the time it takes to read the page. Either ends with the player's next
// click; skipping also ends at the first unread message (or the click wait
// after it), a choice, a name entry, the save panel or a hit map. A message
// is read once the player has seen all of it, typed without skipping, and
// gone on from it.
//
// The messages read are kept in a small file beside the slot files, written
// whole into a temporary file and renamed, as the slots are.
#pragma once

#include <compare>
#include <cstdint>
#include <deque>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "core/input_state.h"
#include "platform/files.h"
#include "scenario/scenario.h"
#include "text/message_window.h"

namespace velmor::app {

enum class ReaderMode { Off, SkipRead, Auto };

// A message: its scenario file (Shift-JIS, as the scenario names it) and the
// offset just past its instruction.
struct MessageId {
  std::string file;
  uint16_t offset = 0;
  // Written out: not every standard library compares strings with <=> yet.
  bool operator==(const MessageId&) const = default;
  bool operator<(const MessageId& other) const {
    return file != other.file ? file < other.file : offset < other.offset;
  }
};

// The set of messages read, and its file: a first line "velmor read
// messages 1", then one message a line in the order they were read, the
// file name in hexadecimal and the offset in decimal ("494E4954 1234").
// It keeps the newest kKept: a game has far fewer messages, so more can only
// come from a damaged or foreign file, which must not cost the start-up its
// time and memory.
class ReadMessages {
 public:
  static constexpr const char* kHeader = "velmor read messages 1";
  static constexpr std::size_t kKept = 100000;

  // Moved, never copied: the order points into the set.
  ReadMessages() = default;
  ReadMessages(ReadMessages&&) = default;
  ReadMessages& operator=(ReadMessages&&) = default;
  ReadMessages(const ReadMessages&) = delete;
  ReadMessages& operator=(const ReadMessages&) = delete;

  bool Contains(const MessageId& id) const { return ids_.count(id) != 0; }
  // True when the message was not in the set yet. Past kKept, the oldest
  // message is forgotten.
  bool Add(const MessageId& id);
  std::size_t size() const { return ids_.size(); }
  // Messages were forgotten to keep the newest kKept.
  bool forgot() const { return forgot_; }

  std::vector<uint8_t> Encode() const;
  // The set a file holds. Lines that make no sense (and a file of another
  // kind) are left out; *bad counts them. `tail`: the bytes are the end of
  // a longer file, whose first line (the header) has been checked; the first
  // line here, cut by the read, is left out.
  static ReadMessages Decode(std::span<const uint8_t> bytes, int* bad, bool tail = false);

 private:
  using Ids = std::set<MessageId>;
  Ids ids_;
  std::deque<Ids::const_iterator> order_;  // oldest first
  bool forgot_ = false;
};

// The time a click wait lasts in auto mode: `base_ms` (1.5 s unless the
// player chose another) and 60 ms for each character of the page, in 20 ms
// ticks (rounded up).
constexpr int32_t kAutoBaseMs = 1500;
int32_t AutoWaitTicks(int32_t characters, int32_t base_ms = kAutoBaseMs);
// The characters of the page of `text` that ends before byte `end`
// (0-based): those after the last page wait or new page, full-width ones
// counted once, control codes and their arguments not at all.
int32_t PageCharacters(const ByteString& text, std::size_t end);

class ReaderModes {
 public:
  // The file's name in the slot folder.
  static constexpr const char* kFileName = "READTEXT.TXT";

  ReaderModes(scenario::Scenario& scn, text::MessageWindow& msgwin, InputState& input,
              platform::Files& files, const std::string& slot_path)
      : scn_(scn), msgwin_(msgwin), input_(input), files_(files), slot_path_(slot_path) {}

  ReaderMode mode() const { return mode_; }
  bool Active() const { return mode_ != ReaderMode::Off; }
  // Turns `m` on, or off when it is on already; the other mode goes off.
  void Toggle(ReaderMode m) { mode_ = mode_ == m ? ReaderMode::Off : m; }
  void Stop() { mode_ = ReaderMode::Off; }
  // The base of auto mode's wait, in milliseconds (negative counts as 0).
  void SetAutoBaseMs(int32_t ms) { auto_base_ms_ = ms < 0 ? 0 : ms; }
  int32_t auto_base_ms() const { return auto_base_ms_; }
  // Held Ctrl passes click and page waits too (a click each tick), as
  // skipping does for read text; off, Ctrl passes only typing and
  // transitions, as in the game.
  void SetCtrlPassesWaits(bool on) { ctrl_passes_waits_ = on; }
  // What the window's corner says while a mode is on; empty when none is.
  std::string Indicator() const;

  // Start-up: the messages read in earlier runs.
  void Load();
  // A message starts at the scenario's current place.
  void MessageStarted();
  // Around the scenario's turn in a tick: the mode acts before it (a click,
  // or the skip key held for the turn), and after it the skip key is given
  // back. A message typed to its end without the skip key is noted as read
  // once the scenario goes on from it.
  void BeforeStep();
  void AfterStep();

  const ReadMessages& read() const { return read_; }
  // What the player is told once: that the file was larger than what is
  // kept of it, and the oldest messages read are forgotten. Empty after the
  // first call, and when nothing was forgotten.
  std::string TakeNotice();
  // The most of the file read at start-up: its end, where the newest are.
  static constexpr std::size_t kMaxFileBytes = 4 << 20;
  // The last write of the file failed (the set is kept all the same).
  bool save_failed() const { return save_failed_; }

 private:
  bool AtClickWait() const;
  void Skip();
  void Auto();
  void MarkRead();

  scenario::Scenario& scn_;
  text::MessageWindow& msgwin_;
  InputState& input_;
  platform::Files& files_;
  const std::string& slot_path_;

  ReaderMode mode_ = ReaderMode::Off;
  ReadMessages read_;
  MessageId current_;
  bool has_current_ = false;
  bool seen_ = false;     // the current message was typed to its end, not skipped
  bool skipped_ = false;  // the skip key was held while it typed
  scenario::WaitHandler before_ = scenario::WaitHandler::None;
  bool skip_key_lent_ = false;
  int32_t held_sft_ = 0;
  int32_t waited_ = 0;  // ticks at this click wait (auto)
  int32_t auto_base_ms_ = kAutoBaseMs;
  bool ctrl_passes_waits_ = false;
  bool save_failed_ = false;
  bool cut_ = false;   // the file was longer than kMaxFileBytes
  bool told_ = false;  // the notice was taken
};

}  // namespace velmor::app
