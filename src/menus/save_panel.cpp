// Save and load: SaveSlot and LoadSlot move the live state to and from the
// slot files; the panel lists slots 1 to 6 by loading each in turn and then
// the live state again.
#include "menus/save_panel.h"

#include <algorithm>
#include <cstdio>

#include "core/sjis.h"
#include "graphics/cursors.h"
#include "menus/message_boxes.h"
#include "text/message_window.h"

namespace velmor::menus {

namespace {

constexpr int kFirstListedSlot = 1;
constexpr int kLastListedSlot = 6;

// The bytes of the name entries 0 to 3.
std::array<Sstr, 4> PlayerNames(const scenario::Scenario& scn) {
  return {scn.mcr[0], scn.mcr[1], scn.mcr[2], scn.mcr[3]};
}

}  // namespace

// --- Slot files ---

std::string SavePanelLogic::SlotPath(int n) const {
  // Kept as a full string: a long folder must not cut the file's name.
  return slot_folder_.str() + SlotFileName(n).str();
}

SlotPreferences SavePanelLogic::LivePreferences() const {
  SlotPreferences prefs;
  prefs.reso = p_.ResoSpin.value;
  prefs.mouse = p_.MouseSpin.value;
  prefs.speed = p_.SpeedSpin.value;
  prefs.source = p_.MuteBtn.checked   ? 0
                 : p_.WaveBtn.checked ? 1
                 : p_.MidiBtn.checked ? 2
                                      : 3;
  return prefs;
}

void SavePanelLogic::SaveSlot(int n) {
  SlotHeader header = BuildSlotHeader(LivePreferences(), PlayerNames(scn_));
  scn_.work[0] = 0;
  SlotImage image = BuildSlotImage(header, scn_.work, scn_.flag);
  if (n == kLiveSlot) live_copy_ = image;
  // Written whole or not at all; a failure keeps the old file and is not
  // reported, as the game never reports slot-file errors.
  std::string error;
  services_.files.WriteFile(SlotPath(n), image, &error);
}

std::optional<SlotImage> SavePanelLogic::SlotBytes(int n) {
  if (n == kLiveSlot && live_copy_) return live_copy_;
  auto bytes = services_.files.ReadFile(SlotPath(n), nullptr);
  if (!bytes || bytes->size() < kSlotSize) return std::nullopt;
  SlotImage image;
  std::copy_n(bytes->begin(), kSlotSize, image.begin());
  return image;
}

void SavePanelLogic::LoadSlot(int n) {
  deferred_.reset();
  ReadSlot(n);
  CloseSavePanel();
  ReportDeferred();
}

bool SavePanelLogic::ReadSlot(int n) {
  std::optional<SlotImage> image = SlotBytes(n);
  if (!image) return false;  // an empty slot: nothing changes
  // The header is read through the scenario image with the string reader,
  // inside a call bracket that ReturnScenario closes again.
  scn_.EnterCall(true);
  scn_.inx = 0;
  std::copy_n(image->begin(), kSlotHeaderSize, scn_.snx.begin());
  ReadHeader();
  ReadSlotBlocks(*image, scn_.work, scn_.flag);
  scn_.ReturnScenario();
  return true;
}

void SavePanelLogic::ReadHeader() {
  if (!StringEnds(scn_.inx) || scn_.ReadString() != kSlotSignatureText) return;
  ApplyPreferences();
  ReadNames();
}

void SavePanelLogic::ApplyPreferences() {
  uint8_t reso = scn_.FetchByte();
  Deferring([&] { p_.ResoSpin.SetValue(reso); });
  uint8_t mouse = scn_.FetchByte();
  Deferring([&] { p_.MouseSpin.SetValue(mouse); });
  Deferring([&] { cursors_.SetCursorShape(p_.MouseSpin.value); });
  uint8_t speed = scn_.FetchByte();
  Deferring([&] { p_.SpeedSpin.SetValue(speed); });
  // The typing speed follows the control as its change handler sets it.
  spd_ = text::MessageWindow::SpeedFromSetting(p_.SpeedSpin.value);
  uint8_t source = scn_.FetchByte();
  Deferring([&] { ApplySource(source); });
}

void SavePanelLogic::ApplySource(uint8_t code) {
  // A source whose button is disabled (it did not work at start-up) falls
  // back to no sound.
  if (code == 1 && p_.WaveBtn.enabled)
    p_.WaveBtn.SetChecked();
  else if (code == 2 && p_.MidiBtn.enabled)
    p_.MidiBtn.SetChecked();
  else if (code == 3 && p_.MidiBtn2.enabled)
    p_.MidiBtn2.SetChecked();
  else
    p_.MuteBtn.SetChecked();
}

void SavePanelLogic::ReadNames() {
  for (std::size_t i = 0; i < kSlotNameEntries.size(); ++i) {
    scn_.inx = static_cast<uint16_t>(kSlotNameOffset + i * kSlotNameWidth);
    if (!StringEnds(scn_.inx)) continue;
    scn_.mcr[kSlotNameEntries[i]] = Sstr(scn_.ReadString());  // its first 16 bytes
  }
}

bool SavePanelLogic::StringEnds(uint16_t at) const {
  // The same steps as the string reader: a colour or size code and a lead
  // byte take the next byte with them. A header without an end in the whole
  // image would keep the reader going round it for ever.
  for (std::size_t steps = 0; steps < scenario::kImageSize; ++steps) {
    uint8_t b = scn_.snx[at++];
    if (b == 0) return true;
    if (b == 3 || b == 4 || IsLeadByte(b)) ++at;
  }
  return false;
}

template <class F>
void SavePanelLogic::Deferring(F&& handler) {
  try {
    handler();
  } catch (const GameError& e) {
    if (!deferred_) deferred_ = e;
  }
}

void SavePanelLogic::ReportDeferred() {
  if (!deferred_) return;
  GameError e = *deferred_;
  deferred_.reset();
  throw e;
}

// --- The panel ---

void SavePanelLogic::OpenSaveMenu(int save_mode, uint16_t month_var, uint16_t day_var) {
  // Variable numbers past the table are a fault of the scenario: reported
  // (and the program ended) before anything is listed.
  scn_.Work(month_var);
  scn_.Work(day_var);
  SaveMode = static_cast<uint8_t>(save_mode);
  SlotMonthVar = month_var;
  SlotDayVar = day_var;
  OpenSavePanel();
}

void SavePanelLogic::OpenSavePanel() {
  deferred_.reset();
  p_.SaveList.Clear();
  SaveSlot(kLiveSlot);
  // Each slot is loaded in turn and its caption made from the live state;
  // a slot that could not be read is listed empty.
  for (int i = kFirstListedSlot; i <= kLastListedSlot; ++i) {
    bool read = ReadSlot(i);
    CloseSavePanel();
    SlotUsed[i] = (read && scn_.work[0] == 0) ? 1 : 0;
    p_.SaveList.rows.push_back(SlotUsed[i] ? SlotCaption(i)
                                           : Sjis("－－月－－日　　　　～空き部屋～").str());
  }
  ReadSlot(kLiveSlot);  // the live state is back
  CloseSavePanel();

  input_.spf = 0;
  scn_.MainProc = scenario::WaitHandler::IdleWait;
  input_.CGHoldEnable = 0;
  platform::ShowSystemPointer(services_.window);
  Panel& panel = p_.SavePanel;
  panel.visible = false;
  Size screen = services_.window.ScreenSize();
  panel.MoveTo((screen.width - panel.bounds.width()) / 2,
               (screen.height - panel.bounds.height()) / 2 + 120);
  bool saving = SaveMode == 1;
  p_.SaveButton.caption = Sjis(saving ? "セーブ" : "ロード").str();
  p_.SaveCancelButton.caption = Sjis(saving ? "閉じる" : "ｷｬﾝｾﾙ").str();
  panel.Repaint();
  panel.visible = true;
  panel.focus = &p_.SaveList;
  p_.SaveList.selected = -1;
  ReportDeferred();
}

void SavePanelLogic::CloseSavePanel() {
  input_.spf = 1;
  scn_.MainProc = scenario::WaitHandler::None;
  input_.CGHoldEnable = 1;
  p_.SavePanel.visible = false;
  platform::HideSystemPointer(services_.window);
  input_.ClearButtonsAndKeys();
}

std::string SavePanelLogic::SlotCaption(int n) {
  std::string caption = WideNumber(scn_.Work(SlotMonthVar) & 0xFF);
  caption += Sjis("月").str();
  caption += WideNumber(scn_.Work(SlotDayVar) & 0xFF);
  caption += Sjis("日『").str();
  caption += PadName(scn_.mcr[0]);
  caption += Sjis("と").str();
  caption += PadName(scn_.mcr[1]);
  caption += Sjis("のVelmor』 '").str();
  caption += FileDateText(services_.files.LastWriteTime(SlotPath(n)));
  return caption;
}

std::string SavePanelLogic::WideNumber(int n) {
  // Two full-width characters; a number past 99 shows its last two digits.
  static const std::string digits = Sjis("０１２３４５６７８９").str();
  n = ((n % 100) + 100) % 100;
  std::string text = n / 10 == 0 ? Sjis("　").str() : digits.substr(2 * (n / 10), 2);
  return text + digits.substr(2 * (n % 10), 2);
}

std::string SavePanelLogic::PadName(const Sstr& name) {
  std::string padded(name.size() < 8 ? 8 - name.size() : 0, ' ');
  return padded + name.str();
}

std::string SavePanelLogic::FileDateText(const std::optional<platform::FileTime>& time) {
  if (!time) return "--/--/-- --:--:--";
  char text[96];
  std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", ((time->year % 100) + 100) % 100,
                time->month, time->day, time->hour, time->minute, time->second);
  return text;
}

void SavePanelLogic::SaveButtonClick() {
  int row = p_.SaveList.selected;
  if (row < 0 || row >= kLastListedSlot) {
    ShowMessageBox(services_.dialogs, kNoFileSelected);
    return;
  }
  int slot = row + 1;
  bool used = SlotUsed[slot] == 1;
  if (SaveMode == 1) {
    if (used && ShowMessageBox(services_.dialogs, kOverwrite) != platform::Answer::Ok) return;
    SaveSlot(slot);
    OpenSavePanel();
  } else if (used) {
    LoadSlot(slot);
  } else {
    ShowMessageBox(services_.dialogs, kNobodyHere);
  }
}

void SavePanelLogic::SaveCancelButtonClick() {
  scn_.work[0] = 1;
  CloseSavePanel();
}

}  // namespace velmor::menus
