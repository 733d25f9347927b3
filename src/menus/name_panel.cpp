// The name panel: opened by ops 44 and 45, closed by OK (both names given)
// or Cancel; work variable 0 tells the scenario which.
#include "menus/name_panel.h"

#include "platform/font.h"

namespace velmor::menus {

namespace {

// The prompt's font: 19 pixels, bold.
constexpr platform::TextStyle kPromptStyle{19};

// The width of a text in the prompt's font, character cell by character cell.
int32_t PromptWidth(std::string_view sjis) {
  int32_t width = 0;
  for (std::size_t i = 0; i < sjis.size();) {
    int length = IsLeadByte(static_cast<uint8_t>(sjis[i])) ? 2 : 1;
    if (i + length > sjis.size()) break;  // a lone lead byte draws nothing
    width += platform::Font::CellWidth(length, kPromptStyle);
    i += length;
  }
  return width;
}

}  // namespace

void NamePanelLogic::OpenNamePanel(const ByteString& prompt, int given_index, int family_index) {
  input_.spf = 0;
  scn_.MainProc = scenario::WaitHandler::IdleWait;
  input_.CGHoldEnable = 0;
  for (Edit* edit : {&p_.FirstNameEdit, &p_.SecondNameEdit}) {
    edit->SetText("");
    edit->Compose("", 0);  // fresh fields: nothing left over from the last time
  }
  platform::ShowSystemPointer(window_);
  NameGivenIndex = given_index;
  NameFamilyIndex = family_index;

  Panel& panel = p_.NamePanel;
  Label& label = p_.NameLabel;
  label.caption = prompt.str();
  int32_t width = PromptWidth(prompt.view());
  label.bounds = Rect::FromSize((panel.bounds.width() - width) / 2, label.bounds.top, width,
                                label.bounds.height());
  Size screen = window_.ScreenSize();
  panel.MoveTo((screen.width - panel.bounds.width()) / 2,
               (screen.height - panel.bounds.height()) / 2 + 120);
  panel.Repaint();
  panel.visible = true;
  panel.SetFocus(&p_.SecondNameEdit);
}

void NamePanelLogic::CloseNamePanel() {
  input_.spf = 1;
  scn_.MainProc = scenario::WaitHandler::None;
  input_.CGHoldEnable = 1;
  p_.NamePanel.visible = false;
  platform::HideSystemPointer(window_);
  input_.ClearButtonsAndKeys();
}

bool NamePanelLogic::BothNamesGiven() {
  p_.FirstNameEdit.SetText(StripBlanks(p_.FirstNameEdit.text));
  p_.SecondNameEdit.SetText(StripBlanks(p_.SecondNameEdit.text));
  // An empty field takes the focus, and its frame flashes as when typed
  // characters are dropped: with the focus there already nothing else would
  // show that OK did anything.
  for (Edit* field : {&p_.SecondNameEdit, &p_.FirstNameEdit}) {
    if (!field->text.empty()) continue;
    p_.NamePanel.SetFocus(field);
    ++field->wanted;
    return false;
  }
  return true;
}

void NamePanelLogic::NameEntryButtonClick() {
  if (!BothNamesGiven()) return;
  scn_.mcr[NameGivenIndex] = Sstr(p_.FirstNameEdit.text);
  scn_.mcr[NameFamilyIndex] = Sstr(p_.SecondNameEdit.text);
  scn_.work[0] = 0;
  CloseNamePanel();
}

void NamePanelLogic::FirstNameEditKeyPress() {
  // Enter: checked like OK, but only moves on to OK; nothing is stored yet.
  if (BothNamesGiven()) p_.NamePanel.SetFocus(&p_.NameEntryButton);
}

void NamePanelLogic::DefNameButtonClick() {
  p_.FirstNameEdit.SetText(defmcr_[NameGivenIndex].str());
  p_.SecondNameEdit.SetText(defmcr_[NameFamilyIndex].str());
}

void NamePanelLogic::NameCancelButtonClick() {
  scn_.work[0] = 1;
  CloseNamePanel();
}

std::string NamePanelLogic::StripBlanks(const std::string& sjis) {
  std::string kept;
  for (std::size_t i = 0; i < sjis.size();) {
    auto b = static_cast<uint8_t>(sjis[i]);
    if (IsLeadByte(b)) {
      if (i + 1 >= sjis.size()) break;  // a lone lead byte at the end
      bool wide_space = b == 0x81 && static_cast<uint8_t>(sjis[i + 1]) == 0x40;
      if (!wide_space) kept.append(sjis, i, 2);
      i += 2;
    } else {
      if (b > 0x20) kept.push_back(static_cast<char>(b));
      ++i;
    }
  }
  return kept;
}

}  // namespace velmor::menus
