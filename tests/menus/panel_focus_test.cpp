// The panels' keys on the bare models: what a key takes and the actions it
// hands back, without running a handler itself.
#include "menus/panel_focus.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmor::menus {
namespace {

class PanelFocusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    p.ConfigPanel.visible = true;
    for (Control* c : p.All()) c->OnClick = [this, c] { ran.push_back(c->name); };
    p.ResoSpin.OnChange = [this] { ran.push_back("ResoSpin"); };
  }
  bool Press(ControlKey key) { return PressPanelKey(p, key, actions); }

  Panels p;
  std::vector<PanelAction> actions;
  std::vector<std::string> ran;
};

TEST_F(PanelFocusTest, APressComesBackAsAnActionAndRunsNothingYet) {
  EXPECT_TRUE(Press(ControlKey::Enter));  // OK has the focus once it settles
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0].kind, PanelAction::Kind::Click);
  EXPECT_EQ(actions[0].control, &p.ExitButton);
  EXPECT_TRUE(ran.empty());
  RunPanelAction(actions[0]);
  EXPECT_EQ(ran, (std::vector<std::string>{"ExitButton"}));
}

TEST_F(PanelFocusTest, SpinArrowsAreActionsTooAndRunThroughTheSpinsLimits) {
  p.ConfigPanel.SetFocus(&p.ResoSpin);
  EXPECT_TRUE(Press(ControlKey::Up));
  EXPECT_TRUE(Press(ControlKey::Down));
  EXPECT_FALSE(Press(ControlKey::Left));
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions[0].kind, PanelAction::Kind::UpArrow);
  EXPECT_EQ(actions[1].kind, PanelAction::Kind::DownArrow);
  EXPECT_EQ(p.ResoSpin.value, 100) << "nothing ran yet";
  p.ResoSpin.SetValue(150);
  ran.clear();
  RunPanelAction(actions[0]);  // at the top already: no change, no handler
  EXPECT_TRUE(ran.empty());
}

TEST_F(PanelFocusTest, EscapeIsNoneOfThePanelsKeys) {
  for (Control* c : {static_cast<Control*>(&p.ExitButton), static_cast<Control*>(&p.ResoSpin),
                     static_cast<Control*>(&p.WaveBtn)}) {
    p.ConfigPanel.SetFocus(c);
    EXPECT_FALSE(Press(ControlKey::Escape)) << c->name;
    EXPECT_EQ(p.ConfigPanel.focus, c);
  }
  EXPECT_TRUE(actions.empty());
}

TEST_F(PanelFocusTest, ANameFieldLeavesItsKeysToItselfButTab) {
  p.NamePanel.visible = true;
  p.NamePanel.SetFocus(&p.SecondNameEdit);
  EXPECT_FALSE(Press(ControlKey::Enter));
  EXPECT_FALSE(Press(ControlKey::Space));
  EXPECT_TRUE(actions.empty());
  EXPECT_TRUE(PressFieldKey(p, ControlKey::Enter, actions));
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0].kind, PanelAction::Kind::Enter);
  EXPECT_EQ(actions[0].control, &p.SecondNameEdit);
  EXPECT_FALSE(PressFieldKey(p, ControlKey::Space, actions));
  EXPECT_TRUE(Press(ControlKey::Tab));
  EXPECT_EQ(p.NamePanel.focus, &p.NameEntryButton);
  EXPECT_FALSE(PressFieldKey(p, ControlKey::Enter, actions)) << "a button is no field";
}

TEST_F(PanelFocusTest, NoPanelOpenTakesNoKey) {
  p.ConfigPanel.visible = false;
  for (ControlKey k : {ControlKey::Tab, ControlKey::Enter, ControlKey::Up})
    EXPECT_FALSE(Press(k));
  EXPECT_EQ(FocusedControl(p), nullptr);
}

}  // namespace
}  // namespace velmor::menus
