// Keys and the wheel in place of the mouse: clicks at waits, choices, the hold; the backlog holding
// the game as a panel does; the panels from the keyboard and names through the script's input
// method. (The fields' own editing and the box keys are the menus suite's.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "menus/slot_file.h"
#include "scenario/language.h"
#include "scripted_games.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

using ::testing::HasSubstr;
using scenario::WaitHandler;

// INIT: CHOICE work[7] with `count` options, then CLICK.
std::vector<uint8_t> Choice(int count) {
  Code c;
  c.b(23).w(7);
  for (int i = 0; i < count; ++i) c.s(std::string("OPTION") + static_cast<char>('A' + i));
  return c.b(0).b(22).bytes;
}

// Each input is one click seen by one tick, or none: the wait ends once.
TEST(ReaderKeys, AtAClickWaitEveryClickKeyAndTheWheelDownGoOnOnce) {
  struct Case { const char* input; int16_t work1; int32_t hold; };  // work1 2: the wait ended
  for (Case c : {Case{"click left", 2, 0}, Case{"key enter", 2, 0}, Case{"key kpenter", 2, 0},
                 Case{"key space", 2, 0}, Case{"wheel down", 2, 0}, Case{"wheel up", 1, 0},
                 Case{"key up", 1, 0}, Case{"key 1", 1, 0}, Case{"key escape", 1, 1}}) {
    SCOPED_TRACE(c.input);
    GameRig g(ClickCounter());
    AtFirstClick(g);
    g.Run(std::string(c.input) + "\ntick\ntick\ntick 5\n");
    const InputState& in = g.form().input;  // the key went up again, no button is held
    EXPECT_EQ(std::tuple(g.form().scn.work[1], in.HoldMode, in.sft, in.clk, in.drg),
              std::tuple(c.work1, c.hold, 0, 0, 0));
  }
}

// The backlog opened and closed by the wheel, a hold begun and ended: the page does not turn;
// Enter, Space or the wheel then turn it.
TEST(ReaderKeys, AtAPageWaitTheWheelAndEnterTurnThePage) {
  for (const std::string input : {"wheel down", "key enter", "key space"}) {
    SCOPED_TRACE(input);
    GameRig g(Code().b(21).b(1).s("AB\x05" "CD").b(22).bytes);  // \x05: a page wait
    g.Start();
    for (int i = 0; i < 20 && !g.form().msgwin.PageWait; ++i) g.Ticks(1);
    ASSERT_TRUE(g.form().msgwin.PageWait);
    g.Run("wheel up\ntick\n");
    EXPECT_TRUE(g.form().backlog_window.open());
    g.Run("wheel down\ntick\nclick right\ntick\n");
    EXPECT_EQ(std::tuple(g.form().backlog_window.open(), g.form().input.HoldMode),
              std::tuple(false, 1));
    g.Run("click left\ntick\n");
    EXPECT_EQ(std::tuple(g.form().input.HoldMode, g.form().msgwin.PageWait), std::tuple(0, true));
    g.Run(input + "\ntick\nuntil WaitClick 50\n");
    EXPECT_EQ(g.form().scn.MainProc, WaitHandler::WaitClick);
  }
}

TEST(ReaderKeys, AHitMapIsAnsweredByEnterAtThePointerNeverByTheWheel) {
  GameRig g(HitMap());
  Bitmap map(640, 480, kBlack);
  FillRect(map, {100, 100, 200, 200}, 0xFF0000);  // region 2
  g.files.Put(std::string(kDat) + "CG/MAP.BMP", BmpBytes(map));
  g.Start();
  g.Run("tick\n" + At(150, 150) + "wheel down\ntick\ntick\n");
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::HitMapPress);
  g.Run("key enter\ntick\ntick\n");
  EXPECT_EQ(g.form().scn.work[9], 2);
}

TEST(ReaderKeys, UpAndDownMoveThePointerOntoTheRowsAndEnterPicks) {
  GameRig g(Choice(3));
  g.Start();
  g.Run("tick\npointer 0 0\ntick\n");
  const text::Choices& ch = g.form().choices;
  ASSERT_EQ(ch.ChoiceHot, -1);
  // The highlighted row, with the drawn pointer on its marker: two presses before a tick count
  // twice; the ends hold; the wheel never answers a choice.
  for (auto [keys, hot] : {std::pair{"key down", 0}, {"key down\nkey down", 2}, {"key down", 2},
                           {"key up", 1}, {"key up\nkey up\nkey up", 0}, {"wheel down", 0}}) {
    g.Run(std::string(keys) + "\ntick\n");
    EXPECT_EQ(std::tuple(ch.ChoiceHot, g.form().input.msx, ch.RowAt(g.form().input.msy)),
              std::tuple(hot, ch.RowPoint(hot).x, hot)) << keys;
  }
  g.Run("pointer 0 0\ntick\nkey up\ntick\nkey enter\ntick\n");  // from no row, Up is the last
  EXPECT_EQ(std::tuple(ch.ChoiceHot, g.form().scn.work[7], g.form().scn.MainProc),
            std::tuple(2, 3, WaitHandler::None));
}

// A number key picks its row at every scale; one past the last row, or away from a choice, does
// nothing and leaves the pointer where it was.
TEST(ReaderKeys, ANumberKeyPicksItsRow) {
  for (int scale : {50, 75, 100, 125, 150}) {
    for (int key = 1; key <= 4; ++key) {
      SCOPED_TRACE(std::to_string(scale) + "% key " + std::to_string(key));
      GameRig g(Choice(4));
      g.Start();
      g.form().panels.ResoSpin.SetValue(scale);
      g.Run("tick\npointer 0 0\ntick\nkey " + std::to_string(key) + "\ntick\n");
      EXPECT_EQ(g.form().scn.work[7], key);
      EXPECT_EQ(g.form().scn.MainProc, WaitHandler::None);
    }
  }
  GameRig g(Choice(2));
  g.Start();
  g.Run("tick\npointer 0 0\ntick\nkey 3\ntick\nkey 7\ntick\n");
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::ChoiceProc);
  EXPECT_EQ(g.game->window().CursorPos(), (Point{0, 0}));
  GameRig h(ClickCounter());
  h.Start();
  h.Run("tick\npointer 5 6\nkey 1\nkey down\ntick\n");
  EXPECT_EQ(h.form().scn.work[1], 1);
  EXPECT_EQ(h.game->window().CursorPos(), (Point{5, 6}));
}

TEST(ReaderKeys, EscapeHoldsThenOpensTheSettingsWhichKeepTheKeysFromTheGame) {
  GameRig g(ClickCounter());
  AtFirstClick(g);
  g.Run("key escape\ntick\n");
  EXPECT_EQ(g.form().input.HoldMode, 1);
  g.Run("key escape\ntick\n");
  ASSERT_TRUE(g.form().panels.ConfigPanel.visible);
  for (const char* input : {"key escape", "wheel down", "key 1", "key a", "key pageup"}) {
    g.Run(input);
    EXPECT_EQ(std::tuple(g.form().input.clk, g.form().panels.ConfigPanel.visible),
              std::tuple(0, true)) << input;
  }
  EXPECT_FALSE(g.form().backlog_window.open());
  // Enter presses the panel's focused OK; only the next one is a click.
  g.Run("tick\nkey enter\n");
  EXPECT_EQ(g.form().input.clk, 0);
  g.Run("key enter\ntick\ntick\n");
  EXPECT_EQ(std::tuple(g.form().panels.ConfigPanel.visible, g.form().scn.work[1]),
            std::tuple(false, 2));
}

// INIT: three messages, each followed by a click wait, then a choice and a click wait.
std::vector<uint8_t> Story() {
  return Assembled("TEXT \"FIRST\"\nCLICK\nTEXT \"SECOND\"\nCLICK\nTEXT \"THIRD\"\nCLICK\n"
                   "CHOICE work[7], \"LEFT\", \"RIGHT\"\nCLICK\nEND\n");
}

// The game at the click wait after message `n` (1-based).
void ToWait(GameRig& g, int n) {
  g.Start();
  g.Run("pointer 500 500\nuntil WaitClick 200\n");
  for (int i = 1; i < n; ++i) g.Run("click left\ntick\ntick\nuntil WaitClick 200\n");
  ASSERT_EQ(g.form().scn.MainProc, WaitHandler::WaitClick);
  g.Run("tick\n");  // the drawn pointer in place
}

TEST(Backlog, KeysAndTheWheelGoThroughItAndPastTheNewestEndItCloses) {
  GameRig g(Story());
  ToWait(g, 3);
  struct Step { const char* input; bool open; std::size_t shown; };  // the oldest page stays
  for (const Step& s : {Step{"wheel up", true, 2}, {"key up", true, 1}, {"wheel up", true, 0},
                        {"key pageup", true, 0}, {"key down", true, 1}, {"key pagedown", true, 2},
                        {"key pagedown", false, 0}, {"key pageup", true, 2},
                        {"wheel down", false, 0}, {"key pageup", true, 2},
                        {"key down", false, 0}}) {
    g.Run(std::string(s.input) + "\ntick\n");
    const app::BacklogWindow& b = g.form().backlog_window;
    EXPECT_EQ(std::pair(b.open(), b.open() ? b.shown() : 0), std::pair(s.open, s.shown)) << s.input;
  }
}

TEST(Backlog, OpensAtTheNewestPageAndThePictureUnderItComesBackExactly) {
  for (auto [open, close] : {std::pair{"wheel up", "click right"}, {"key pageup", "key escape"},
                             {"wheel up", "wheel down\nwheel down"}}) {
    SCOPED_TRACE(std::string(open) + ", " + close);
    GameRig g(Story());
    ToWait(g, 3);
    EXPECT_THAT(g.game->StateJson(), HasSubstr("\"backlog\":{\"open\":false,\"entries\":3"));
    const Bitmap shown = g.game->window().Canvas(), picture = g.form().ScreenPicture();
    g.Run(std::string(open) + "\n");
    EXPECT_THAT(g.game->StateJson(),
                HasSubstr("\"backlog\":{\"open\":true,\"entries\":3,\"shown\":2}"));
    EXPECT_EQ(g.form().ReaderIndicator(), "Backlog 3/3");
    g.Run("tick 3\nkey up\ntick\n");
    // Only the message window's rectangle shows the backlog.
    Bitmap outside = g.form().ScreenPicture();
    EXPECT_NE(outside, picture);
    CopyRect(outside, g.form().msgwin.msg.BoxRect, picture);
    EXPECT_EQ(outside, picture);
    g.Run(std::string(close) + "\ntick\n");
    EXPECT_FALSE(g.form().backlog_window.open());
    EXPECT_EQ(g.form().ScreenPicture(), picture);
    EXPECT_EQ(g.game->window().Canvas(), shown);
  }
}

// Clicks, keys and ticks while it is open reach nothing, and the right click that closes it starts
// no picture hold; opening it ends a reading mode.
TEST(Backlog, TheGameIsHeldWhileItIsOpen) {
  GameRig g(Story());
  ToWait(g, 2);
  const uint16_t inx = g.form().scn.inx;
  g.Run("key a\nwheel up\ntick 50\nclick left\ntick\nkey enter\nkey space\nkey 1\nkey tab\nkey a\n"
        "tick 50\n");
  EXPECT_EQ(std::tuple(g.form().backlog_window.open(), g.form().scn.MainProc, g.form().scn.inx,
                       g.form().reader.mode()),
            std::tuple(true, WaitHandler::WaitClick, inx, app::ReaderMode::Off));
  g.Run("click right\ntick 5\n");
  EXPECT_EQ(std::tuple(g.form().backlog_window.open(), g.form().input.HoldMode, g.form().scn.inx),
            std::tuple(false, 0, inx));
  g.Run("click left\ntick\ntick\n");
  EXPECT_NE(g.form().scn.inx, inx);
}

TEST(Backlog, TypingStopsWhileItIsOpenAndGoesOnAfter) {
  GameRig g(Code().b(21).b(1).s("AB").b(22).b(21).b(1).s(std::string(60, 'x')).b(22).b(255).bytes);
  g.Start();
  g.Run("until WaitClick 100\nclick left\ntick\ntick\ntick\n");
  ASSERT_EQ(g.form().scn.MainProc, WaitHandler::TypeText);
  const uint32_t pos = g.form().msgwin.MsgPos;
  ASSERT_LT(pos, 60u);
  g.Run("wheel up\ntick 20\n");
  ASSERT_TRUE(g.form().backlog_window.open());
  EXPECT_EQ(g.form().msgwin.MsgPos, pos);
  g.Run("key escape\ntick\n");
  EXPECT_GT(g.form().msgwin.MsgPos, pos);
}

TEST(Backlog, OpensOnlyAtAWaitWithSomethingToShow) {
  struct Case { const char* what; std::vector<uint8_t> init; const char* before; };  // at a wait
  const Case cases[] = {
      {"nothing shown yet", Code().b(22).b(255).bytes, ""},
      {"the picture hold", Story(), "click right\ntick\n"},
      {"the settings panel", Story(), "click right\ntick\nclick right\ntick\n"}};
  for (const Case& c : cases) {
    for (const char* opener : {"wheel up", "key pageup"}) {
      GameRig g(c.init);
      g.Start();
      g.Run(std::string("pointer 500 500\nuntil WaitClick 200\n") + c.before + opener + "\ntick\n");
      EXPECT_FALSE(g.form().backlog_window.open()) << c.what << ", " << opener;
    }
  }
}

std::string FocusOf(const Panel& panel) { return panel.focus ? panel.focus->name : "none"; }
// The given and the family name, as the scenario has them.
std::pair<std::string, std::string> Names(GameRig& g) {
  return {g.form().scn.mcr[0].str(), g.form().scn.mcr[2].str()};
}

// A click counter's game with the settings panel open (Escape holds, a second opens it).
struct SettingsRig {
  GameRig g{ClickCounter()};
  menus::Panels& p() { return g.form().panels; }
  std::string Focus() { return FocusOf(p().ConfigPanel); }
  SettingsRig() {
    g.Start();
    g.Run("tick\nkey escape\ntick\nkey escape\ntick\n");
  }
};

// The game's keyboard drives the panel (whose tab order is the menus suite's): up and down step the
// focused spin through its handler; in the source group every arrow checks the next button.
TEST(PanelKeys, ArrowsStepTheFocusedSpinOrCheckTheNextSourceButton) {
  SettingsRig r;
  r.g.Run("key tab\nkey tab\n");  // ResoSpin, 100 % in steps of 5
  ASSERT_EQ(r.Focus(), "ResoSpin");
  r.g.Run("key up\nkey up\nkey down\nkey left\nkey right\n");
  EXPECT_EQ(r.p().ResoSpin.value, 105);
  r.g.Run("key tab\nkey tab\nkey down\n");
  EXPECT_EQ(std::tuple(r.Focus(), r.p().MidiBtn.checked, r.p().WaveBtn.checked),
            std::tuple("MidiBtn", true, false));
  r.g.Run("key left\nkey left\nkey space\n");  // wraps round to the last button
  EXPECT_EQ(std::tuple(r.Focus(), r.p().MuteBtn.checked), std::tuple("MuteBtn", true));
}

TEST(PanelKeys, GameEndFromTheKeyboardAsksAndTheBoxIsAnsweredByKeys) {
  // The keys in the quit question; tab leaves it unanswered: its close button.
  for (auto [keys, ended] : {std::pair{"escape", false}, {"space", true}, {"tab", false}}) {
    SCOPED_TRACE(keys);
    SettingsRig r;
    r.g.Run("key shift+tab\n");
    ASSERT_EQ(r.Focus(), "EndButton");
    EXPECT_EQ(r.g.form().input.sft, 0) << "Shift went up again";
    r.g.Run(std::string("answer keys ") + keys + "\nkey enter\n");
    const auto& boxes = r.g.game->dialogs().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::tuple(boxes[0].text, boxes[0].kind, boxes[0].buttons, boxes[0].answer),
              std::tuple(S("本当に終了するよ？"), platform::MessageKind::Confirmation,
                         platform::Buttons::OkCancel,
                         ended ? platform::Answer::Ok : platform::Answer::Cancel));
    EXPECT_EQ(std::tuple(r.g.game->ended(), r.g.form().quit), std::tuple(ended, ended));
    EXPECT_TRUE(ended || r.p().ConfigPanel.visible) << "Cancel leaves all as it was";
  }
}

TEST(PanelKeys, NamesAreEnteredFromTheKeyboardAlone) {
  GameRig g(NameHero());
  g.Start();
  g.Run("tick\n");
  menus::Panels& p = g.form().panels;
  ASSERT_EQ(FocusOf(p.NamePanel), "SecondNameEdit");
  // Enter in a field goes to the empty one; Space in a field is typing, not a press.
  g.Run("ime commit 山田\nkey enter\nkey space\n");
  EXPECT_EQ(FocusOf(p.NamePanel), "FirstNameEdit");
  g.Run("ime commit 太郎\nkey enter\n");
  EXPECT_EQ(FocusOf(p.NamePanel), "NameEntryButton") << "both given: on to OK";
  EXPECT_TRUE(p.NamePanel.visible) << "Enter in a field stores nothing yet";
  g.Run("key enter\ntick\n");
  EXPECT_FALSE(p.NamePanel.visible);
  EXPECT_EQ(Names(g), std::pair(S("太郎"), S("山田")));
}

TEST(PanelKeys, TheSaveListIsWalkedWithTheArrowsAndSavedWithTabAndEnter) {
  GameRig g(Assembled("LET work[20], 7\nLET work[21], 12\nSAVEMENU work[20], work[21]\nCLICK\n"));
  g.Start();
  g.Run("tick\n");
  menus::Panels& p = g.form().panels;
  ASSERT_EQ(FocusOf(p.SavePanel), "SaveList");
  ASSERT_EQ(p.SaveList.selected, -1);
  // From no row the first; the first row stays, and so does the last.
  for (auto [keys, selected] : {std::pair{"key down\n", 0}, {"key down\nkey down\nkey up\n", 1},
                                {"key up\nkey up\n", 0}}) {
    g.Run(keys);
    EXPECT_EQ(p.SaveList.selected, selected) << keys;
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

// The script's "ime" and "focus" act as the player's input method and clicks would.
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
  EXPECT_EQ(std::pair(p.SecondNameEdit.text, p.FirstNameEdit.text),
            std::pair(S("やま"), std::string()));
  g.Run("focus FirstNameEdit\nime commit 花\nime compose だ 1\n");
  EXPECT_THAT(g.game->StateJson(),
              HasSubstr(R"("FirstNameEdit":{"text":"花","composition":"だ","enabled":true})"));
  // A bare commit takes the composition; OK gives the scenario both names.
  g.Run("ime commit\ncontrol NameEntryButton click\ntick\n");
  EXPECT_EQ(Names(g), std::pair(S("花だ"), S("やま")));
}

}  // namespace
}  // namespace velmor::testing
