// The name panel: the scenario asks for the hero's or the beloved's family and
// given names and waits until the player confirms or cancels.
#pragma once

#include <array>
#include <string>

#include "core/byte_string.h"
#include "core/input_state.h"
#include "menus/panels.h"
#include "platform/window.h"
#include "scenario/scenario.h"

namespace velmor::menus {

class NamePanelLogic {
 public:
  NamePanelLogic(Panels& panels, scenario::Scenario& scn, InputState& input,
                 platform::Window& window, const std::array<Sstr, 4>& defmcr)
      : p_(panels), scn_(scn), input_(input), window_(window), defmcr_(defmcr) {}

  int NameGivenIndex = 0;
  int NameFamilyIndex = 2;

  void OpenNamePanel(const ByteString& prompt, int given_index, int family_index);
  void CloseNamePanel();
  void NameEntryButtonClick();
  void NameCancelButtonClick();
  void DefNameButtonClick();
  // The Enter key in either field.
  void FirstNameEditKeyPress();

  // The text without blanks: the full-width space and every byte up to 0x20
  // removed wherever they stand; a lone lead byte at the end is dropped.
  static std::string StripBlanks(const std::string& sjis);

 private:
  // Strips both fields; focuses the first empty one (family name first).
  bool BothNamesGiven();

  Panels& p_;
  scenario::Scenario& scn_;
  InputState& input_;
  platform::Window& window_;
  const std::array<Sstr, 4>& defmcr_;
};

}  // namespace velmor::menus
