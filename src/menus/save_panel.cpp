// Save and load: SaveSlot and LoadSlot move the live state to and from the
// slot files; the panel lists slots 1 to 6 by loading each in turn and then
// the live state again.
#include "menus/save_panel.h"

#include <algorithm>
#include <cstdio>

#include "core/sjis.h"
#include "core/texts.h"
#include "graphics/cursors.h"
#include "language/language.h"
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
  return slot_folder_ + SlotFileName(n).str();
}

SlotPreferences SavePanelLogic::LivePreferences() const {
  SlotPreferences prefs;
  prefs.reso = p_.ResoSpin.value;
  prefs.mouse = p_.MouseSpin.value;
  // The speed byte is the typing speed itself, which is what a load sets
  // it from: a slot means the same speed whichever program reads it.
  prefs.speed = spd_;
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
  // Written whole or not at all: a failure keeps the old file.
  // Mended: the original overwrote the slot file in place and said nothing
  // when that failed.
  std::string error;
  if ((slot_folder_.empty() || services_.files.CreateFolders(slot_folder_, &error)) &&
      services_.files.WriteFile(SlotPath(n), image, &error))
    return;
  // Mended: the listing restored the live state from DATAFF, so a DATAFF
  // that could not be written would have replaced the player's game.
  if (n == kLiveSlot) return;  // the listing keeps its copy in memory
  throw GameError(GameSentence(GameText("%s に書き込めなかったよ。\n%s"),
                               {SlotFileName(n).str(), Utf8ToSjis(error)}),
                  error);
}

SlotRead SavePanelLogic::SlotBytes(int n) {
  if (n == kLiveSlot && live_copy_) return {live_copy_, {}};
  const std::string path = SlotPath(n);
  std::string error;
  auto bytes = services_.files.ReadFile(path, &error);
  if (!bytes) {
    // A slot without a file is empty; a file that is there but cannot be
    // read is not (it must not be overwritten without a question).
    if (!services_.files.Exists(path)) return {};
    return {std::nullopt, error};
  }
  // Mended: a file longer than a slot was read as one, and saving over it
  // asked nothing; a file that is not exactly a slot is never taken for one.
  if (bytes->size() != kSlotSize)
    return {std::nullopt, "\"" + path + "\": " + std::to_string(bytes->size()) +
                              " bytes, where a slot file has " + std::to_string(kSlotSize)};
  SlotImage image;
  std::copy_n(bytes->begin(), kSlotSize, image.begin());
  return {image, {}};
}

std::string SavePanelLogic::UnreadableText(int n, const std::string& problem) const {
  return GameSentence(GameText("%s を読み込めないよ。\n%s"), {SlotFileName(n).str(), Utf8ToSjis(problem)});
}

void SavePanelLogic::LoadSlot(int n) {
  services_.errors.Holding([&] {
    ReadSlot(n);
    CloseSavePanel();
  });
}

bool SavePanelLogic::ReadSlot(int n) {
  SlotRead read = SlotBytes(n);
  if (!read.problem.empty()) services_.errors.Show(UnreadableText(n, read.problem));
  if (!read.image) return false;  // nothing changes
  ReadImage(*read.image);
  return true;
}

void SavePanelLogic::ReadImage(const SlotImage& image) {
  // The header is read through the scenario image with the string reader,
  // inside a call bracket that ReturnScenario closes again.
  scn_.EnterCall(true);
  scn_.inx = 0;
  std::copy_n(image.begin(), kSlotHeaderSize, scn_.snx.begin());
  ReadHeader();
  ReadSlotBlocks(image, scn_.work, scn_.flag);
  scn_.ReturnScenario();
}

void SavePanelLogic::ReadHeader() {
  if (!StringEnds(scn_.inx) || scn_.ReadString() != kSlotSignatureText) return;
  ApplyPreferences();
  ReadNames();
}

void SavePanelLogic::ApplyPreferences() {
  // Each control's handler runs as if the player had changed it; what fails
  // is told once the whole slot has been read.
  ErrorReport& errors = services_.errors;
  uint8_t reso = scn_.FetchByte();
  errors.Catching([&] { p_.ResoSpin.SetValue(reso); });
  uint8_t mouse = scn_.FetchByte();
  errors.Catching([&] { p_.MouseSpin.SetValue(mouse); });
  errors.Catching([&] { cursors_.SetCursorShape(p_.MouseSpin.value); });
  // The typing speed is the stored byte; the control shows the setting that
  // gives it, so that the two agree.
  uint8_t speed = scn_.FetchByte();
  errors.Catching([&] { p_.SpeedSpin.SetValue(text::MessageWindow::SettingForSpeed(speed)); });
  spd_ = speed;
  uint8_t source = scn_.FetchByte();
  errors.Catching([&] { ApplySource(source); });
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
  // byte take the next byte with them. The game writes every header string
  // with its end inside the header; one that runs past it is damaged.
  // Mended: the original read such a string on round the whole image.
  while (at < kSlotHeaderSize) {
    uint8_t b = scn_.snx[at++];
    if (b == 0) return true;
    if (language::TakesNextByte(b)) ++at;
  }
  return false;
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
  // What a slot's settings fail to restore (a missing cursor or sound file)
  // is told once, after every slot has been read, the live state is back and
  // the panel holds the scenario.
  services_.errors.Holding([&] {
    ListSlots();
    ShowSavePanel();
  });
}

void SavePanelLogic::ShowSavePanel() {
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
  p_.SaveButton.caption = Sjis(saving ? GameText("セーブ") : GameText("ロード")).str();
  p_.SaveCancelButton.caption = Sjis(saving ? GameText("閉じる") : GameText("ｷｬﾝｾﾙ")).str();
  panel.Repaint();
  panel.visible = true;
  panel.SetFocus(&p_.SaveList);
  p_.SaveList.selected = -1;
}

void SavePanelLogic::ListSlots() {
  p_.SaveList.Clear();
  SaveSlot(kLiveSlot);
  // Each slot is loaded in turn and its caption made from the live state. A
  // slot without a file is empty; one whose file cannot be read is listed
  // as such (and counts as used: saving over it asks first).
  for (int i = kFirstListedSlot; i <= kLastListedSlot; ++i) {
    SlotRead r = SlotBytes(i);
    SlotProblem[i] = r.problem;
    if (!r.problem.empty()) services_.errors.Show(UnreadableText(i, r.problem));
    if (r.image) ReadImage(*r.image);
    CloseSavePanel();
    // Mended: a file of a slot's size without the slot's signature was
    // listed as a saved game or as empty without a word; it is loaded as
    // the game always did (its work and flags), but listed as a stranger's
    // and never overwritten without asking.
    const bool foreign = r.image && !HasSlotSignature(*r.image);
    SlotUsed[i] = (!r.problem.empty() || foreign || (r.image && scn_.work[0] == 0)) ? 1 : 0;
    // The rows are made in the language the game's texts are shown in.
    if (!r.problem.empty())
      p_.SaveList.rows.push_back(GameSentence(GameText("－－月－－日　　　　～開かずの間～"), {}));
    else if (foreign)
      p_.SaveList.rows.push_back(GameSentence(GameText("－－月－－日　　　　～よその部屋～"), {}));
    else
      p_.SaveList.rows.push_back(
          SlotUsed[i] ? SlotCaption(i) : GameSentence(GameText("－－月－－日　　　　～空き部屋～"), {}));
  }
  ReadSlot(kLiveSlot);  // the live state is back
  CloseSavePanel();
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
  // TRANSLATORS: month, day, the two names (each padded to 8 bytes), the
  // file's date and time; the row is as wide as the save list.
  return GameSentence(GameText("%s月%s日『%sと%sのVelmor』 '%s"),
                      {WideNumber(scn_.Work(SlotMonthVar) & 0xFF),
                       WideNumber(scn_.Work(SlotDayVar) & 0xFF), PadName(scn_.mcr[0]),
                       PadName(scn_.mcr[1]),
                       FileDateText(services_.files.LastWriteTime(SlotPath(n)))});
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
    auto save = [this, slot] {
      SaveSlot(slot);
      OpenSavePanel();
    };
    if (!used) return save();
    ShowMessageBox(services_.dialogs, kOverwrite, [save](platform::Answer a) {
      if (a == platform::Answer::Ok) save();
    });
  } else if (!SlotProblem[slot].empty()) {
    services_.errors.Show(UnreadableText(slot, SlotProblem[slot]));
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
