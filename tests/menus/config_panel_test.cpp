// The settings panel: shown at the pointer inside the screen, closed by OK.
#include <gtest/gtest.h>

#include "menus_rig.h"

namespace velmor::testing {
namespace {

TEST(ConfigPanelOpenAt, KeepsThePanelInsideTheScreen) {
  struct Case {
    Point pointer;
    Point want;
  };
  // The panel is 400 x 148 on a 1024 x 768 screen.
  for (Case c : {Case{{100, 200}, {100, 200}}, Case{{624, 620}, {624, 620}},
                 Case{{625, 621}, {624, 620}}, Case{{1023, 767}, {624, 620}},
                 Case{{1023, 10}, {624, 10}}, Case{{10, 767}, {10, 620}},
                 Case{{0, 0}, {0, 0}}, Case{{-5, -9}, {0, 0}}}) {
    MenusRig m;
    m.input.spf = 0;
    m.input.HoldMode = 1;
    m.config.OpenAt(c.pointer);
    EXPECT_EQ(m.panels.ConfigPanel.bounds, Rect::FromSize(c.want.x, c.want.y, 400, 148))
        << c.pointer.x << "," << c.pointer.y;
    EXPECT_TRUE(m.panels.ConfigPanel.visible);
    EXPECT_EQ(m.panels.ConfigPanel.repaints, 1);
    EXPECT_EQ(m.input.spf, 0);
    EXPECT_EQ(m.window.CursorCount(), 0);
  }
}

TEST(ConfigPanelOpenAt, ASecondRightClickMovesTheOpenPanel) {
  MenusRig m;
  m.config.OpenAt({10, 10});
  m.config.OpenAt({900, 700});
  EXPECT_EQ(m.panels.ConfigPanel.bounds, Rect::FromSize(624, 620, 400, 148));
  EXPECT_TRUE(m.panels.ConfigPanel.visible);
  EXPECT_TRUE(m.window.SystemPointerVisible());
  m.panels.ExitButton.Click();
  EXPECT_FALSE(m.window.SystemPointerVisible()) << "hidden however often it was shown";
}

TEST(ConfigPanelOpenAt, AScreenSmallerThanThePanelPutsItAtTheCorner) {
  MenusRig m({320, 100});
  m.config.OpenAt({50, 50});
  EXPECT_EQ(m.panels.ConfigPanel.bounds, Rect::FromSize(0, 0, 400, 148));
}

TEST(ExitButtonClick, EndsTheHoldAndHidesThePointer) {
  MenusRig m;
  m.input.HoldMode = 1;
  m.config.OpenAt({500, 500});
  m.input.clk = 2;
  m.input.drg = 2;
  m.input.sft = 7;
  m.panels.ExitButton.Click();
  EXPECT_FALSE(m.panels.ConfigPanel.visible);
  EXPECT_EQ(m.input.spf, 1);
  EXPECT_EQ(m.input.HoldMode, 0);
  EXPECT_EQ(m.input.clk + m.input.drg + m.input.sft, 0);
  EXPECT_EQ(m.window.CursorCount(), -1);
  EXPECT_FALSE(m.window.SystemPointerVisible());
}

}  // namespace
}  // namespace velmor::testing
