// The three panels of the main window and every control on them, as models
// (see core/controls.h); each control is declared with its kind and, for a
// label, the style its text is shown in. Positions and sizes are the panels' own, in window
// pixels, relative to the panel (or the group box for the source buttons).
#pragma once

#include <vector>

#include "core/controls.h"

namespace velmor::menus {

struct Panels {
  Panels();
  Panels(const Panels&) = delete;
  Panels& operator=(const Panels&) = delete;

  // --- Settings ---
  Panel ConfigPanel{"ConfigPanel", 400, 148};
  Label ResoLabel{"ResoLabel"};
  SpinEdit ResoSpin{"ResoSpin", 50, 150, 5, 100};
  Label UpDownLabel2{"UpDownLabel2", LabelStyle::UpDown};
  Label MouseLabel{"MouseLabel"};
  SpinEdit MouseSpin{"MouseSpin", 1, 7, 1, 1};
  Label UpDownLabel3{"UpDownLabel3", LabelStyle::UpDown};
  Label SpeedLabel{"SpeedLabel"};
  // Starts at 32, the setting of the start speed 96 (and the value a double
  // click restores), so that the control, the saved value and the speed agree.
  SpinEdit SpeedSpin{"SpeedSpin", 0, 128, -16, 32};
  Label UpDownLabel1{"UpDownLabel1", LabelStyle::UpDown};
  GroupBox SoundGroupBox{"SoundGroupBox"};
  RadioButton WaveBtn{"WaveBtn"};
  RadioButton MidiBtn{"MidiBtn"};
  RadioButton MidiBtn2{"MidiBtn2"};
  RadioButton MuteBtn{"MuteBtn"};
  Button EndButton{"EndButton"};
  Button ExitButton{"ExitButton"};
  Label BrannicLabel1{"BrannicLabel1", LabelStyle::Copyright};

  // --- Name entry ---
  Panel NamePanel{"NamePanel", 401, 112};
  Label NameLabel{"NameLabel", LabelStyle::Prompt};
  Label NameHelpLabel{"NameHelpLabel", LabelStyle::Help};
  Edit SecondNameEdit{"SecondNameEdit", 8};  // family name
  Edit FirstNameEdit{"FirstNameEdit", 8};    // given name
  Button DefNameButton{"DefNameButton"};
  Button NameEntryButton{"NameEntryButton"};
  Button NameCancelButton{"NameCancelButton"};
  Label BrannicLabel2{"BrannicLabel2", LabelStyle::Copyright};

  // --- Save and load ---
  Panel SavePanel{"SavePanel", 593, 121};
  ListBox SaveList{"SaveList"};
  Button SaveButton{"SaveButton"};
  Button SaveCancelButton{"SaveCancelButton"};
  Label BrannicLabel3{"BrannicLabel3", LabelStyle::Copyright};

  // Every panel and control, for the headless runner and the state output.
  std::vector<Control*> All();
  Control* Find(std::string_view name);
  // The controls of a panel in its tab order.
  std::vector<Control*> TabOrder(const Panel& panel);
};

// The copyright notice on the three small labels.
extern const char* const kCopyrightNotice;

}  // namespace velmor::menus
