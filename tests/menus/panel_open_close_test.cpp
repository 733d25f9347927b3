// The three panels opening where they belong on the screen and closing with
// the steps the game takes on every close.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "core/sjis.h"
#include "menus_rig.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

struct OpenCase {
  const char* what;
  Size screen;
  std::function<void(MenusRig&)> open;
  Panel& (*panel)(MenusRig&);
  Rect want;
  bool scenario_waits;  // the save and name panels hold the scenario
  int shown = 1;        // how often the system pointer was shown
};

Panel& SavePanel(MenusRig& m) { return m.panels.SavePanel; }
Panel& NamePanel(MenusRig& m) { return m.panels.NamePanel; }
Panel& ConfigPanel(MenusRig& m) { return m.panels.ConfigPanel; }

void OpenSave(MenusRig& m) { m.saves.OpenSaveMenu(1, 5, 6); }
void OpenName(MenusRig& m) { m.names.OpenNamePanel(Sjis("ABC"), 0, 2); }
std::function<void(MenusRig&)> ConfigAt(Point pointer) {
  return [pointer](MenusRig& m) { m.config.OpenAt(pointer); };
}

// The save and name panels are centred and lowered by 120; the settings
// panel opens at the pointer, kept inside the screen (a second right click
// moves it), or at the corner of a screen smaller than itself.
TEST(PanelOpens, WhereItBelongsAndShowsThePointer) {
  const Size big{1024, 768};
  const Rect save = Rect::FromSize(0, 0, 593, 121), name = Rect::FromSize(0, 0, 401, 112),
             config = Rect::FromSize(0, 0, 400, 148);
  auto at = [](Rect r, int x, int y) { return Rect::FromSize(x, y, r.width(), r.height()); };
  const OpenCase cases[] = {
      {"save 1024x768", big, OpenSave, SavePanel, at(save, 215, 443), true},
      {"save 640x480", {640, 480}, OpenSave, SavePanel, at(save, 23, 299), true},
      {"save 500x300", {500, 300}, OpenSave, SavePanel, at(save, -46, 209), true},
      {"name 1024x768", big, OpenName, NamePanel, at(name, 311, 448), true},
      {"name 640x480", {640, 480}, OpenName, NamePanel, at(name, 119, 304), true},
      {"name 400x100", {400, 100}, OpenName, NamePanel, at(name, 0, 114), true},
      {"config 100,200", big, ConfigAt({100, 200}), ConfigPanel, at(config, 100, 200), false},
      {"config 624,620", big, ConfigAt({624, 620}), ConfigPanel, at(config, 624, 620), false},
      {"config 625,621", big, ConfigAt({625, 621}), ConfigPanel, at(config, 624, 620), false},
      {"config 1023,767", big, ConfigAt({1023, 767}), ConfigPanel, at(config, 624, 620), false},
      {"config 1023,10", big, ConfigAt({1023, 10}), ConfigPanel, at(config, 624, 10), false},
      {"config 10,767", big, ConfigAt({10, 767}), ConfigPanel, at(config, 10, 620), false},
      {"config -5,-9", big, ConfigAt({-5, -9}), ConfigPanel, at(config, 0, 0), false},
      {"config moved by a second click", big,
       [](MenusRig& m) {
         m.config.OpenAt({10, 10});
         m.config.OpenAt({900, 700});
       },
       ConfigPanel, at(config, 624, 620), false, 2},
      {"config on a small screen", {320, 100}, ConfigAt({50, 50}), ConfigPanel, at(config, 0, 0), false},
  };
  for (const OpenCase& c : cases) {
    SCOPED_TRACE(c.what);
    MenusRig m(c.screen);
    m.input.spf = c.scenario_waits ? 1 : 0;  // the settings panel leaves it be
    c.open(m);
    const Panel& panel = c.panel(m);
    EXPECT_EQ(panel.bounds, c.want);
    EXPECT_TRUE(panel.visible);
    EXPECT_EQ(m.input.spf, 0);
    EXPECT_EQ(m.window.CursorCount(), c.shown - 1) << "the system pointer shows";
    if (c.scenario_waits) {
      EXPECT_EQ(panel.repaints, 1);
      EXPECT_EQ(m.input.CGHoldEnable, 0);
      EXPECT_EQ(m.scn.MainProc, WaitHandler::IdleWait);
    }
  }
}

struct CloseCase {
  const char* what;
  void (*open)(MenusRig&);
  void (*close)(MenusRig&);
  Panel& (*panel)(MenusRig&);
  std::optional<int> outcome;  // work[0] afterwards
  bool scenario_waited;
};

// Every close lets the scenario go on, forgets the clicks and keys pressed
// meanwhile and hides the system pointer however often it was shown; a
// cancel answers 1 and keeps the names whatever the fields hold.
TEST(PanelCloses, WithTheGamesClosingSteps) {
  const CloseCase cases[] = {
      {"save panel, cancel", OpenSave, [](MenusRig& m) { m.panels.SaveCancelButton.Click(); },
       SavePanel, 1, true},
      {"load panel, a load",
       [](MenusRig& m) {
         m.saves.SaveSlot(1);
         m.saves.OpenSaveMenu(0, 5, 6);
       },
       [](MenusRig& m) { m.saves.LoadSlot(1); }, SavePanel, 0, true},
      {"name panel, cancel", OpenName, [](MenusRig& m) { m.panels.NameCancelButton.Click(); },
       NamePanel, 1, true},
      {"settings panel, OK",
       [](MenusRig& m) {
         m.config.OpenAt({10, 10});
         m.config.OpenAt({500, 500});
       },
       [](MenusRig& m) { m.panels.ExitButton.Click(); }, ConfigPanel, std::nullopt, false},
  };
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(c.what);
    MenusRig m;
    m.scn.mcr[0] = Sstr("keep0");
    m.scn.mcr[2] = Sstr("keep2");
    m.scn.work[0] = 5;
    m.input.HoldMode = 1;
    c.open(m);
    m.panels.FirstNameEdit.SetText("new");
    m.panels.SecondNameEdit.SetText("new");
    m.input.clk = 1;
    m.input.drg = 1;
    m.input.sft = 2;
    c.close(m);
    EXPECT_FALSE(c.panel(m).visible);
    EXPECT_EQ(m.input.spf, 1);
    EXPECT_EQ(m.input.clk + m.input.drg + m.input.sft, 0);
    EXPECT_EQ(m.window.CursorCount(), -1);
    EXPECT_FALSE(m.window.SystemPointerVisible());
    EXPECT_EQ(m.scn.mcr[0].str(), "keep0");
    EXPECT_EQ(m.scn.mcr[2].str(), "keep2");
    if (c.outcome) {
      EXPECT_EQ(m.scn.work[0], *c.outcome);
    }
    if (c.scenario_waited) {
      EXPECT_EQ(m.input.CGHoldEnable, 1);
      EXPECT_EQ(m.scn.MainProc, WaitHandler::None);
    } else {
      EXPECT_EQ(m.input.HoldMode, 0) << "the settings panel ends the hold";
    }
  }
}

}  // namespace
}  // namespace velmor::testing
