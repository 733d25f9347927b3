// The panels from the keyboard on the headless game: the script's "key"
// command moves the focus in tab order (skipping what cannot take it),
// presses the focused button, steps spins, lists and radio buttons, and
// answers the quit question, as the real window's keyboard does; names come
// in through the script's input method. (The fields' own editing is the
// menus suite's NameField tests.)
#include <gtest/gtest.h>

#include <string>

#include "menus/slot_file.h"
#include "scripted_games.h"

namespace velmor::testing {
namespace {

std::string FocusOf(const Panel& panel) { return panel.focus ? panel.focus->name : "none"; }

// A click counter's game with the settings panel open (Escape holds, a
// second Escape opens the settings).
struct SettingsRig {
  GameRig g{ClickCounter()};
  menus::Panels& p() { return g.form().panels; }
  std::string Focus() { return FocusOf(p().ConfigPanel); }
  SettingsRig() {
    g.Start();
    g.Run("tick\nkey escape\ntick\nkey escape\ntick\n");
  }
};

// The tab order and the radio group's arrows are the menus suite's
// (PanelLayoutTest); here the game's keyboard drives them. Up and down step
// the focused spin through its handler (left and right are not a spin's
// keys); in the source group every arrow checks the next button.
TEST(PanelKeys, ArrowsStepTheFocusedSpinOrCheckTheNextSourceButton) {
  SettingsRig r;
  r.g.Run("key tab\nkey tab\n");  // ResoSpin, 100 % in steps of 5
  ASSERT_EQ(r.Focus(), "ResoSpin");
  r.g.Run("key up\nkey up\nkey down\nkey left\nkey right\n");
  EXPECT_EQ(r.p().ResoSpin.value, 105);
  r.g.Run("key tab\nkey tab\nkey down\n");
  EXPECT_EQ(r.Focus(), "MidiBtn");
  EXPECT_TRUE(r.p().MidiBtn.checked);
  EXPECT_FALSE(r.p().WaveBtn.checked);
  r.g.Run("key left\nkey left\nkey space\n");  // wraps round to the last button
  EXPECT_EQ(r.Focus(), "MuteBtn");
  EXPECT_TRUE(r.p().MuteBtn.checked);
}

TEST(PanelKeys, GameEndFromTheKeyboardAsksAndTheBoxIsAnsweredByKeys) {
  struct Case {
    const char* keys;  // in the quit question
    bool ended;
  };
  // (The box's own keys are the menus suite's MessageBoxKeys.)
  for (Case c : {Case{"escape", false}, Case{"space", true},
                 Case{"tab", false}}) {  // unanswered: its close button
    SCOPED_TRACE(c.keys);
    SettingsRig r;
    r.g.Run("key shift+tab\n");
    ASSERT_EQ(r.Focus(), "EndButton");
    EXPECT_EQ(r.g.form().input.sft, 0) << "Shift went up again";
    r.g.Run(std::string("answer keys ") + c.keys + "\nkey enter\n");
    const auto& boxes = r.g.game->dialogs().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, S("本当に終了するよ？"));
    EXPECT_EQ(boxes[0].kind, platform::MessageKind::Confirmation);
    EXPECT_EQ(boxes[0].buttons, platform::Buttons::OkCancel);
    EXPECT_EQ(boxes[0].answer, c.ended ? platform::Answer::Ok : platform::Answer::Cancel);
    EXPECT_EQ(r.g.game->ended(), c.ended);
    EXPECT_EQ(r.g.form().quit, c.ended);
    if (!c.ended) {
      EXPECT_TRUE(r.p().ConfigPanel.visible) << "Cancel leaves all as it was";
    }
  }
}

TEST(PanelKeys, NamesAreEnteredFromTheKeyboardAlone) {
  GameRig g(NameHero());
  g.Start();
  g.Run("tick\n");
  menus::Panels& p = g.form().panels;
  ASSERT_EQ(FocusOf(p.NamePanel), "SecondNameEdit");
  // Enter in a field with a name missing goes to the empty field; Space in
  // a field is typing, not a press.
  g.Run("ime commit 山田\nkey enter\nkey space\n");
  EXPECT_EQ(FocusOf(p.NamePanel), "FirstNameEdit");
  g.Run("ime commit 太郎\nkey enter\n");
  EXPECT_EQ(FocusOf(p.NamePanel), "NameEntryButton") << "both given: on to OK";
  EXPECT_TRUE(p.NamePanel.visible) << "Enter in a field stores nothing yet";
  g.Run("key enter\ntick\n");
  EXPECT_FALSE(p.NamePanel.visible);
  EXPECT_EQ(g.form().scn.mcr[0].str(), S("太郎"));
  EXPECT_EQ(g.form().scn.mcr[2].str(), S("山田"));
}

TEST(PanelKeys, TheSaveListIsWalkedWithTheArrowsAndSavedWithTabAndEnter) {
  Code c;
  c.b(0).w(20).w(7).b(0).w(21).w(12).b(38).w(20).w(21).b(22);  // SAVEMENU 7/12
  GameRig g(c.bytes);
  g.Start();
  g.Run("tick\n");
  menus::Panels& p = g.form().panels;
  ASSERT_EQ(FocusOf(p.SavePanel), "SaveList");
  ASSERT_EQ(p.SaveList.selected, -1);
  struct Step {
    const char* keys;
    int selected;
  };
  // From no row the first; the first row stays, and so does the last.
  for (Step s : {Step{"key down\n", 0}, Step{"key down\nkey down\nkey up\n", 1},
                 Step{"key up\nkey up\n", 0}}) {
    g.Run(s.keys);
    EXPECT_EQ(p.SaveList.selected, s.selected) << s.keys;
  }
  const int rows = static_cast<int>(p.SaveList.rows.size());
  for (int i = 0; i < rows + 2; ++i) g.Run("key down\n");
  EXPECT_EQ(p.SaveList.selected, rows - 1);
  g.Run("key tab\n");
  ASSERT_EQ(FocusOf(p.SavePanel), "SaveButton");
  g.Run("key enter\n");
  const std::string slot = "PROG/" + menus::SlotFileName(rows).str();  // slots count from 1
  EXPECT_NE(g.files.Get(slot), nullptr) << slot;
  EXPECT_EQ(FocusOf(p.SavePanel), "SaveList") << "the slots listed again";
  g.Run("key shift+tab\n");
  ASSERT_EQ(FocusOf(p.SavePanel), "SaveCancelButton") << "Shift+Tab wraps round";
  g.Run("key space\ntick\n");
  EXPECT_FALSE(p.SavePanel.visible);
}

// The script's "ime" and "focus" commands act on the focused name field as
// the player's input method and clicks would.
TEST(InputMethod, FocusMovesAsAClickOnTheControlWould) {
  GameRig g(NameHero());
  g.Start();
  g.Run("ime compose やまだ\nime commit 山田\nfocus FirstNameEdit\n");  // no panel open
  menus::Panels& p = g.form().panels;
  EXPECT_EQ(p.SecondNameEdit.text, "");
  EXPECT_EQ(p.NamePanel.focus, nullptr);
  g.Run("tick\nime compose やま\nfocus NameHelpLabel\n");  // a label takes no focus
  EXPECT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
  EXPECT_EQ(p.SecondNameEdit.composition, "やま");
  g.Run("focus SaveButton\n");  // on a panel that is not open
  EXPECT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
  EXPECT_EQ(p.SavePanel.focus, nullptr);
  g.Run("focus NameEntryButton\nime commit 山田\n");  // no field has the focus: nobody hears it
  EXPECT_EQ(p.SecondNameEdit.text, S("やま"));
  EXPECT_EQ(p.FirstNameEdit.text, "");
  g.Run("focus FirstNameEdit\nime commit 花\nime compose だ 1\n");
  EXPECT_NE(g.game->StateJson().find(R"("FirstNameEdit":{"text":"花","composition":"だ","enabled":true})"),
            std::string::npos) << g.game->StateJson();
  // A bare commit takes the composition; OK gives the scenario both names.
  g.Run("ime commit\ncontrol NameEntryButton click\ntick\n");
  EXPECT_EQ(g.form().scn.mcr[0].str(), S("花だ"));
  EXPECT_EQ(g.form().scn.mcr[2].str(), S("やま"));
}

}  // namespace
}  // namespace velmor::testing
