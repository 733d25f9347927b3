#include "app/reader_modes.h"

#include <charconv>
#include <cstdio>
#include <sstream>

#include "core/sjis.h"
#include "core/texts.h"
#include "language/language.h"

namespace velmor::app {

using scenario::WaitHandler;

namespace {

constexpr int32_t kTickMs = 20;
constexpr int32_t kAutoPerCharacterMs = 60;

bool ParseHex(std::string_view hex, std::string& out) {
  if (hex.empty() || hex.size() % 2 != 0 || hex.size() > 2 * 255) return false;
  out.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
    if (ec != std::errc() || end != hex.data() + i + 2) return false;
    out.push_back(static_cast<char>(value));
  }
  return true;
}

bool ParseLine(const std::string& line, MessageId& id) {
  const std::size_t space = line.find(' ');
  if (space == std::string::npos) return false;
  const std::string_view offset(line.data() + space + 1, line.size() - space - 1);
  unsigned value = 0;
  auto [end, ec] = std::from_chars(offset.data(), offset.data() + offset.size(), value);
  if (ec != std::errc() || end != offset.data() + offset.size() || value > 0xFFFF) return false;
  id.offset = static_cast<uint16_t>(value);
  return ParseHex(std::string_view(line.data(), space), id.file);
}

}  // namespace

bool ReadMessages::Add(const MessageId& id) {
  auto [at, added] = ids_.insert(id);
  if (!added) return false;
  order_.push_back(at);
  if (order_.size() > kKept) {
    ids_.erase(order_.front());
    order_.pop_front();
    forgot_ = true;
  }
  return true;
}

std::vector<uint8_t> ReadMessages::Encode() const {
  std::string text = std::string(kHeader) + "\n";
  char hex[3];
  for (Ids::const_iterator it : order_) {
    for (char c : it->file) {
      std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(static_cast<uint8_t>(c)));
      text += hex;
    }
    text += " " + std::to_string(it->offset) + "\n";
  }
  return {text.begin(), text.end()};
}

ReadMessages ReadMessages::Decode(std::span<const uint8_t> bytes, int* bad, bool tail) {
  ReadMessages set;
  int wrong = 0;
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  std::string line;
  // Mended: a file of any length was read and kept whole, every line of it,
  // and written whole again with each message read.
  if (!std::getline(in, line) || (!tail && line != kHeader)) {
    // Not a file of ours: nothing in it counts.
    if (bad) *bad = bytes.empty() || tail ? 0 : 1;
    return set;
  }
  while (std::getline(in, line)) {
    MessageId id;
    if (line.empty()) continue;
    if (ParseLine(line, id))
      set.Add(id);
    else
      ++wrong;
  }
  if (bad) *bad = wrong;
  return set;
}

int32_t AutoWaitTicks(int32_t characters, int32_t base_ms) {
  const int32_t ms = std::max(base_ms, 0) + kAutoPerCharacterMs * std::max(characters, 0);
  return (ms + kTickMs - 1) / kTickMs;
}

int32_t PageCharacters(const ByteString& text, std::size_t end) {
  using namespace language::text_code;
  end = std::min(end, text.size());
  int32_t count = 0;
  for (std::size_t i = 0; i < end;) {
    const uint8_t b = text[i];
    if (b == kPageWait || b == kNewPage) {
      count = 0;
      ++i;
    } else if (b == kColor || b == kSize) {
      i += 2;  // the code and its argument
    } else if (b < 0x20) {
      ++i;
    } else {
      ++count;
      i += IsLeadByte(b) ? 2 : 1;
    }
  }
  return count;
}

std::string ReaderModes::Indicator() const {
  switch (mode_) {
    case ReaderMode::SkipRead: return Tr("Skipping read text");
    case ReaderMode::Auto: return Tr("Auto");
    case ReaderMode::Off: break;
  }
  return {};
}

void ReaderModes::Load() {
  const std::string path = slot_path_ + kFileName;
  uint64_t size = 0;
  std::optional<std::vector<uint8_t>> bytes =
      files_.ReadFilePart(path, kMaxFileBytes, true, &size, nullptr);
  // No file yet: nothing has been read. A damaged one gives what it holds,
  // and the next message read writes it whole again.
  if (!bytes) return;
  cut_ = size > bytes->size();
  if (cut_) {
    // Only the end is read; the start must still say the file is ours.
    const std::string header = std::string(ReadMessages::kHeader) + "\n";
    auto head = files_.ReadFilePart(path, header.size(), false, nullptr, nullptr);
    if (!head || std::string(head->begin(), head->end()) != header) {
      cut_ = false;  // not ours: nothing in it counts, nothing is forgotten
      return;
    }
  }
  read_ = ReadMessages::Decode(*bytes, nullptr, cut_);
}

std::string ReaderModes::TakeNotice() {
  if (told_ || (!cut_ && !read_.forgot())) return {};
  told_ = true;
  return Fill(Tr("%s holds more messages read than are kept; the oldest are forgotten (the "
                 "newest %s are kept)"),
              {kFileName, std::to_string(ReadMessages::kKept)});
}

void ReaderModes::MessageStarted() {
  if (seen_) MarkRead();  // the scenario went on from a message seen whole
  current_.file = scn_.CallFile[scn_.CallDepth].str();
  current_.offset = scn_.inx;
  has_current_ = true;
  seen_ = false;
  skipped_ = false;
}

bool ReaderModes::AtClickWait() const {
  return scn_.MainProc == WaitHandler::WaitClick ||
         (scn_.MainProc == WaitHandler::TypeText && msgwin_.PageWait);
}

void ReaderModes::BeforeStep() {
  before_ = scn_.MainProc;
  // The skip key held by the player while the message types: not all of it
  // was seen.
  if (before_ == WaitHandler::TypeText && input_.sft == kSkipKey) skipped_ = true;
  // The player's own Ctrl (nothing is lent between turns) at a click wait.
  if (ctrl_passes_waits_ && input_.sft == kSkipKey && AtClickWait()) input_.clk = 1;
  if (mode_ == ReaderMode::SkipRead) Skip();
  if (mode_ == ReaderMode::Auto) {
    Auto();
  } else {
    waited_ = 0;
  }
}

void ReaderModes::Skip() {
  switch (scn_.MainProc) {
    case WaitHandler::ChoiceProc:
    case WaitHandler::IdleWait:
    case WaitHandler::HitMapPress:
    case WaitHandler::HitMapRelease:
      // The player's own answer is wanted.
      Stop();
      return;
    case WaitHandler::None: return;  // instructions run
    default: break;
  }
  // The first message not read before, and the wait after it: the player
  // reads it. (A message typed to its end is not read yet: the player may
  // not have taken it in, so a skip begun at its wait stops there.)
  const bool read = !has_current_ || read_.Contains(current_);
  if (!read && (scn_.MainProc == WaitHandler::TypeText || AtClickWait())) {
    Stop();
    return;
  }
  if (AtClickWait()) {
    input_.clk = 1;
    return;
  }
  // Typing, transitions, timed waits and animations pass as with Ctrl.
  held_sft_ = input_.sft;
  input_.sft = kSkipKey;
  skip_key_lent_ = true;
}

void ReaderModes::Auto() {
  if (!AtClickWait()) {
    waited_ = 0;
    return;
  }
  const std::size_t end = msgwin_.PageWait ? msgwin_.MsgPos - 1 : msgwin_.MsgText.size();
  if (++waited_ < AutoWaitTicks(PageCharacters(msgwin_.MsgText, end), auto_base_ms_)) return;
  waited_ = 0;
  input_.clk = 1;
}

void ReaderModes::AfterStep() {
  if (skip_key_lent_) {
    input_.sft = held_sft_;
    skip_key_lent_ = false;
  }
  // A message typed to its end without skipping has been seen whole; it
  // counts as read once the scenario goes on from the wait after it (the
  // player's click, an answer, auto mode), or from the message itself.
  if (before_ == WaitHandler::TypeText && scn_.MainProc != WaitHandler::TypeText) {
    seen_ = has_current_ && !skipped_;
  } else if (seen_ && before_ != WaitHandler::None && scn_.MainProc != before_) {
    MarkRead();
  }
}

void ReaderModes::MarkRead() {
  seen_ = false;
  if (!read_.Add(current_)) return;
  const std::vector<uint8_t> bytes = read_.Encode();
  std::string error;
  save_failed_ = !files_.WriteFile(slot_path_ + kFileName, bytes, &error);
}

}  // namespace velmor::app
