// Saves of our own (30 slots and a quick save, beside the original's six)
// and going back through the pages read: both are snapshots of the whole
// game (game_state.cpp), one written to a file, the other kept in memory.
#include "app/form.h"
#include "language/language.h"
#include "menus/panel_layout.h"

namespace velmor::app {

using formats::Snapshot;
using scenario::WaitHandler;
namespace texts = save_texts;

namespace {

constexpr int32_t kThumbWidth = 160;
constexpr int32_t kThumbHeight = 120;
constexpr std::size_t kLastLineBytes = 80;

// The last line the backlog shows, without its codes: what the save/load
// screen says beside the thumbnail.
ByteString LastLine(const text::Backlog& log) {
  using namespace language::text_code;
  for (std::size_t k = log.size(); k-- > 0;) {
    const ByteString& t = log.at(k).text;
    ByteString line, last;
    for (std::size_t i = 0; i < t.size(); ++i) {
      const uint8_t b = static_cast<uint8_t>(t.view()[i]);
      if (b == kLineFeed) {
        if (!line.empty()) last = line;
        line = ByteString();
      } else if (b == kColor || b == kSize) {
        ++i;
      } else if (b >= 0x20 && line.size() + 2 <= kLastLineBytes) {
        line.push_back(b);
        if (IsLeadByte(b) && i + 1 < t.size()) line.push_back(static_cast<uint8_t>(t.view()[++i]));
      }
    }
    if (!line.empty()) last = line;
    if (!last.empty()) return last;
  }
  return {};
}

}  // namespace

bool TForm1::AtHistoryStop() const {
  if (input.HoldMode == 1 || backlog_window.open() || menus::AnyPanelVisible(panels_))
    return false;
  switch (scn.MainProc) {
    case WaitHandler::WaitClick:
    case WaitHandler::ChoiceProc:
    case WaitHandler::HitMapPress: return true;
    case WaitHandler::TypeText: return msgwin.PageWait;
    default: return false;
  }
}

void TForm1::RecordHistoryStep() {
  if (!AtHistoryStop()) {
    if (stop_recorded_) history_.Left();
    stop_recorded_ = false;
    return;
  }
  if (stop_recorded_ || WhyNoSnapshot()) return;
  history_.Record(CaptureState(&history_.anchors()));
  stop_recorded_ = true;
}

void TForm1::GoBack() { Revisit(history_.Back(), texts::kBack, texts::kNothingBack); }

void TForm1::GoForward() { Revisit(history_.Forward(), texts::kForward, texts::kNothingForward); }

void TForm1::Revisit(const Snapshot* step, const char* told, const char* none) {
  if (!started_ || quit_ || menus::AnyPanelVisible(panels_)) return;
  if (!step) {
    own_notice_ = Tr(none);
    return;
  }
  if (std::optional<std::string> fault = RestoreState(*step, MusicOnRestore::GoOn)) {
    own_notice_ = std::string(Tr(none)) + ": " + *fault;
    return;
  }
  stop_recorded_ = true;
  own_notice_ = Fill(Tr(told), {std::to_string(history_.position()), std::to_string(history_.size())});
}

std::string TForm1::OwnSavePath(int slot) const { return SlotPath + OwnSaveFileName(slot); }

bool TForm1::SaveOwn(int slot) {
  if (slot < kQuickSlot || slot > kOwnSlots) return false;
  if (std::optional<std::string> why = WhyNoSnapshot()) {
    own_notice_ = Fill(Tr(texts::kCannotSave), {*why});
    return false;
  }
  formats::SaveHeader header;
  header.date = platform.clock.LocalDateTime();
  header.last_line = LastLine(backlog);
  header.scenario = ByteString(scn.CallFile[scn.CallDepth].view());
  header.thumbnail = Bitmap(kThumbWidth, kThumbHeight);
  StretchBlt(header.thumbnail, header.thumbnail.bounds(), layers.IMG);
  const formats::Snapshot state = CaptureState();
  const std::vector<uint8_t> bytes = formats::EncodeSaveFile(header, state, &platform.compressor);
  // Mended: a save that loading would refuse (a picture larger than a save
  // keeps, a save larger than a load reads) was written over the slot and
  // told as saved. It is refused now, and the slot keeps what it held.
  if (!state.unreadable.empty() || state.bytes.size() > formats::kMaxSnapshotBytes ||
      bytes.size() > kMaxOwnSaveBytes) {
    own_notice_ = Fill(Tr(texts::kCannotSave),
                       {state.unreadable.empty() ? Tr(texts::kTooLarge) : state.unreadable});
    return false;
  }
  std::string error;
  if (!platform.files.WriteFile(OwnSavePath(slot), bytes, &error)) {
    own_notice_ = Fill(Tr(texts::kNotWritten), {error});
    return false;
  }
  own_notice_ = slot == kQuickSlot ? std::string(Tr(texts::kQuickSaved))
                                   : Fill(Tr(texts::kSaved), {std::to_string(slot)});
  return true;
}

formats::FormatResult<formats::SaveFile> TForm1::ReadOwnSave(int slot, bool header_only) const {
  const std::string path = OwnSavePath(slot);
  if (!platform.files.Exists(path)) return formats::Fault(std::string(texts::kEmptySlot));
  std::string error;
  uint64_t size = 0;
  std::optional<std::vector<uint8_t>> bytes =
      platform.files.ReadFilePart(path, kMaxOwnSaveBytes, false, &size, &error);
  if (!bytes) return formats::Fault(error);
  if (size > kMaxOwnSaveBytes) return formats::Fault("not a Velmor save file (too large)");
  return formats::DecodeSaveFile(*bytes, platform.compressor, header_only)
      .Named(OwnSaveFileName(slot));
}

bool TForm1::LoadOwn(int slot) {
  if (slot < kQuickSlot || slot > kOwnSlots || !started_ || quit_) return false;
  const std::string which = slot == kQuickSlot ? Tr(texts::kQuickSave) : std::to_string(slot);
  if (menus::AnyPanelVisible(panels_)) {
    own_notice_ = Fill(Tr(texts::kCannotLoad), {which, Tr(texts::kPanelOpen)});
    return false;
  }
  formats::FormatResult<formats::SaveFile> file = ReadOwnSave(slot, false);
  std::optional<std::string> fault;
  if (!file)
    fault = file.fault().Text();
  else
    fault = RestoreState(file->snapshot);
  if (fault) {
    own_notice_ = Fill(Tr(texts::kCannotLoad), {which, Tr(fault->c_str())});
    return false;
  }
  // The history goes on from the game loaded.
  history_.Clear();
  stop_recorded_ = false;
  own_notice_ = slot == kQuickSlot ? std::string(Tr(texts::kQuickLoaded))
                                   : Fill(Tr(texts::kLoaded), {std::to_string(slot)});
  return true;
}

void TForm1::OpenSaveScreen(SaveScreen::Mode mode) {
  if (save_screen.open()) {
    // The other key changes what the screen does; its own closes it.
    if (save_screen.mode() == mode)
      save_screen.Close();
    else
      save_screen.Open(mode);
  } else if (!started_ || quit_ || menus::AnyPanelVisible(panels_) || backlog_window.open() ||
             input.HoldMode == 1 || scn.MainProc == WaitHandler::None) {
    return;
  } else if (std::optional<std::string> why = mode == SaveScreen::Mode::Save ? WhyNoSnapshot()
                                                                           : std::nullopt) {
    own_notice_ = Fill(Tr(texts::kCannotSave), {*why});
    return;
  } else {
    reader.Stop();
    save_screen.Open(mode);
  }
  layers.Present(scaling.Disp.rect());
}

void TForm1::SaveScreenKey(ReaderKey key) {
  switch (key) {
    case ReaderKey::Up: save_screen.Move(-SaveScreen::kColumns); break;
    case ReaderKey::Down: save_screen.Move(SaveScreen::kColumns); break;
    case ReaderKey::Back: save_screen.Move(-1); break;
    case ReaderKey::Forward: save_screen.Move(1); break;
    case ReaderKey::PageUp: save_screen.Move(-SaveScreen::kPerPage); break;
    case ReaderKey::PageDown: save_screen.Move(SaveScreen::kPerPage); break;
    case ReaderKey::Escape: save_screen.Close(); break;
    case ReaderKey::SaveScreen: OpenSaveScreen(SaveScreen::Mode::Save); return;
    case ReaderKey::LoadScreen: OpenSaveScreen(SaveScreen::Mode::Load); return;
    case ReaderKey::Enter:
    case ReaderKey::Space: {
      const int slot = save_screen.selected();
      if (save_screen.mode() == SaveScreen::Mode::Load) {
        save_screen.Close();
        LoadOwn(slot);
      } else {
        // The picture saved is the game's, not the screen's.
        save_screen.Close();
        SaveOwn(slot);
        save_screen.Open(SaveScreen::Mode::Save);
      }
      break;
    }
    default: return;
  }
  layers.Present(scaling.Disp.rect());
}

void TForm1::SaveScreenClick(MouseButton button) {
  if (button == MouseButton::Right) {
    SaveScreenKey(ReaderKey::Escape);
    return;
  }
  const Point at = scaling.MapPointer(platform.window.CursorPos());
  const int slot = save_screen.SlotAt(at);
  if (button != MouseButton::Left || slot == 0) return;
  if (slot != save_screen.selected()) {
    save_screen.Select(slot);
    layers.Present(scaling.Disp.rect());
    return;
  }
  SaveScreenKey(ReaderKey::Enter);  // a click on the chosen slot acts
}

std::string TForm1::TakeReaderNotice() {
  if (!own_notice_.empty()) return std::exchange(own_notice_, std::string());
  return reader.TakeNotice();
}

}  // namespace velmor::app
