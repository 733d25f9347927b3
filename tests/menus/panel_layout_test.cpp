// Where the panels' controls stand, what the pointer is over, and how the
// keyboard focus moves.
#include "menus/panel_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menus/panel_focus.h"

namespace velmor::menus {
namespace {

class PanelLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    p.ConfigPanel.MoveTo(100, 50);
    p.ConfigPanel.visible = true;
  }
  // The names the focus visits from `from`, `n` steps.
  std::vector<std::string> Walk(const Panel& panel, Control* from, int n, bool backwards = false) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) {
      from = NextFocus(p, panel, from, backwards);
      names.push_back(from ? from->name : "null");
    }
    return names;
  }
  Panels p;
};

TEST_F(PanelLayoutTest, RectanglesAddUpThroughPanelAndGroup) {
  EXPECT_EQ(WindowRect(p.ConfigPanel), Rect::FromSize(100, 50, 400, 148));
  EXPECT_EQ(WindowRect(p.ExitButton), Rect::FromSize(388, 158, 88, 22));
  // A radio button sits in the group box, which sits in the panel.
  EXPECT_EQ(WindowRect(p.WaveBtn), Rect::FromSize(100 + 24 + 16, 50 + 8 + 24, 121, 17));
}

TEST_F(PanelLayoutTest, PointerOverAVisiblePanelOnly) {
  EXPECT_EQ(PanelAt(p, {100, 50}), &p.ConfigPanel);
  EXPECT_EQ(PanelAt(p, {499, 197}), &p.ConfigPanel);
  EXPECT_EQ(PanelAt(p, {500, 100}), nullptr) << "the right edge is outside";
  EXPECT_EQ(PanelAt(p, {99, 60}), nullptr);
  p.ConfigPanel.visible = false;
  EXPECT_EQ(PanelAt(p, {200, 100}), nullptr);
  EXPECT_FALSE(AnyPanelVisible(p));
  p.SavePanel.visible = true;
  p.SavePanel.MoveTo(0, 0);
  EXPECT_EQ(PanelAt(p, {10, 10}), &p.SavePanel);
  EXPECT_TRUE(AnyPanelVisible(p));
}

// Tab and Shift+Tab through each panel's stops, skipping disabled ones; a
// hidden panel has none.
TEST_F(PanelLayoutTest, TabWalksThePanelsStopsInOrder) {
  using Names = std::vector<std::string>;
  p.NamePanel.visible = true;
  EXPECT_EQ(Walk(p.ConfigPanel, nullptr, 7),
            (Names{"ExitButton", "SpeedSpin", "ResoSpin", "MouseSpin", "WaveBtn", "EndButton",
                   "ExitButton"}));
  EXPECT_EQ(Walk(p.ConfigPanel, &p.ExitButton, 3, true), (Names{"EndButton", "WaveBtn", "MouseSpin"}));
  EXPECT_EQ(Walk(p.NamePanel, nullptr, 5),
            (Names{"FirstNameEdit", "SecondNameEdit", "NameEntryButton", "DefNameButton",
                   "NameCancelButton"}));
  p.ResoSpin.enabled = false;
  EXPECT_EQ(Walk(p.ConfigPanel, &p.SpeedSpin, 1), (Names{"MouseSpin"}));
  EXPECT_EQ(Walk(p.ConfigPanel, &p.MouseSpin, 1, true), (Names{"SpeedSpin"}));
  p.NamePanel.visible = false;
  EXPECT_EQ(Walk(p.NamePanel, nullptr, 1), (Names{"null"}));
}

TEST_F(PanelLayoutTest, TheGroupGivesTheFocusToItsCheckedButton) {
  p.MidiBtn2.SetChecked();
  EXPECT_EQ(NextFocus(p, p.ConfigPanel, &p.MouseSpin, false), &p.MidiBtn2);
  // From inside the group the next stop is the one after the group.
  EXPECT_EQ(NextFocus(p, p.ConfigPanel, &p.MidiBtn2, false), &p.EndButton);
  EXPECT_EQ(NextFocus(p, p.ConfigPanel, &p.MidiBtn2, true), &p.MouseSpin);
  // A disabled checked button passes the focus to the first usable one.
  p.MidiBtn2.enabled = false;
  EXPECT_EQ(FocusTargetOf(p, &p.SoundGroupBox), &p.WaveBtn);
}

TEST_F(PanelLayoutTest, ArrowsStepThroughTheUsableRadioButtons) {
  p.MidiBtn.enabled = false;
  p.MidiBtn2.enabled = false;
  EXPECT_EQ(NextRadio(p.WaveBtn, false), &p.MuteBtn);
  EXPECT_EQ(NextRadio(p.MuteBtn, false), &p.WaveBtn) << "wraps around";
  EXPECT_EQ(NextRadio(p.WaveBtn, true), &p.MuteBtn);
  p.MuteBtn.enabled = false;
  EXPECT_EQ(NextRadio(p.WaveBtn, false), &p.WaveBtn) << "nowhere else to go";
}

TEST_F(PanelLayoutTest, ListRowsUnderThePointer) {
  for (int i = 0; i < 6; ++i) p.SaveList.rows.push_back("row");
  struct Case {
    int y;
    int row;
  };
  for (Case c : {Case{0, 0}, Case{14, 0}, Case{15, 1}, Case{89, 5}, Case{90, -1}, Case{-1, -1}})
    EXPECT_EQ(ListRowAt(p.SaveList, c.y, 15), c.row) << "y " << c.y;
  p.SaveList.rows.resize(3);
  EXPECT_EQ(ListRowAt(p.SaveList, 50, 15), -1) << "below the last row";
}

TEST_F(PanelLayoutTest, EveryControlIsDeclaredAsWhatItsPlaceMakesIt) {
  // A label is never a tab stop, a group box holds radio buttons and only
  // they, a radio button sits in a group box, a push button is a stop.
  for (Control* c : p.All()) {
    bool holds_radios = false;
    for (Control* other : p.All())
      if (other->parent == c && other->kind == ControlKind::Radio) holds_radios = true;
    switch (c->kind) {
      case ControlKind::Label: EXPECT_LT(c->tab_order, 0) << c->name; break;
      case ControlKind::Button: EXPECT_GE(c->tab_order, 0) << c->name; break;
      case ControlKind::GroupBox: EXPECT_TRUE(holds_radios) << c->name; break;
      case ControlKind::Radio:
        ASSERT_NE(c->parent, nullptr) << c->name;
        EXPECT_EQ(c->parent->kind, ControlKind::GroupBox) << c->name;
        break;
      default: EXPECT_FALSE(holds_radios) << c->name; break;
    }
  }
}

TEST_F(PanelLayoutTest, FocusSettlesOnAControlThatCanTakeIt) {
  // Focus left on a control of another panel, or on a disabled one, moves to
  // the first tab stop of the panel that has the keyboard.
  p.ConfigPanel.focus = &p.SaveButton;
  EXPECT_EQ(FocusedControl(p), &p.ExitButton);
  EXPECT_EQ(p.ConfigPanel.focus, &p.ExitButton);
  p.ConfigPanel.focus = &p.SpeedSpin;
  p.SpeedSpin.enabled = false;
  EXPECT_EQ(FocusedControl(p), &p.ExitButton);
  EXPECT_EQ(FocusedEdit(p), nullptr);
  // The top-most visible panel has the keyboard.
  p.NamePanel.visible = true;
  p.NamePanel.focus = &p.SecondNameEdit;
  EXPECT_EQ(ActivePanel(p), &p.NamePanel);
  EXPECT_EQ(FocusedEdit(p), &p.SecondNameEdit);
}

// A name field 100 pixels wide showing a composition: the composition's end
// and its caret in sight, its start too when the whole fits.
TEST(CompositionScroll, KeepsTheCaretAndAsMuchOfTheCompositionAsFitsInSight) {
  struct Case {
    const char* what;
    int head, composed, caret;
    int want;
  };
  for (const Case& c : {
           Case{"all fits", 20, 40, 40, 0},
           Case{"fits exactly, caret after the last character", 40, 59, 59, 0},
           Case{"the text before it scrolls away", 60, 60, 60, 21},
           Case{"longer than the field, caret at its end", 0, 150, 150, 51},
           Case{"longer than the field, caret inside", 0, 150, 30, 30},
           Case{"longer than the field, caret at its start", 40, 150, 0, 40},
           Case{"caret past the composition counts as its end", 0, 150, 400, 51},
       }) {
    const int scroll = CompositionScroll(c.head, c.composed, c.caret, 100);
    EXPECT_EQ(scroll, c.want) << c.what;
    const int caret_x = c.head + std::min(c.caret, c.composed) - scroll;
    EXPECT_GE(caret_x, 0) << c.what;
    EXPECT_LT(caret_x, 100) << c.what;
  }
}

}  // namespace
}  // namespace velmor::menus
