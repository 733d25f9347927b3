// The reader at the keyboard: keys and the wheel in place of the mouse (clicks at waits, choices,
// the hold), the backlog holding the game as a panel does, the panels from the keyboard and names
// through the script's input method, skipping read text and auto mode, and the reader's own
// settings (their file and their effect). (The fields' own editing and the box keys are the menus
// suite's.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/reader_modes.h"
#include "app/reader_settings.h"
#include "menus/slot_file.h"
#include "platform/headless/memory_files.h"
#include "scripted_games.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using app::ParseReaderSettings;
using app::ReaderMode;
using app::ReaderSettings;
using app::ReaderSettingsFile;
using app::ReadMessages;
using scenario::WaitHandler;

constexpr const char* kReadFile = "PROG/READTEXT.TXT";

// INIT: three messages each followed by a click wait, then a choice; `ends` are the offsets past
// each message's instruction.
struct Story {
  Story() {
    for (const char* text : {"AAAA", "BBBBBBBBBB", "CC"}) {
      ends.push_back(c.b(21).b(1).s(text).here());
      c.b(22);
    }
    c.b(23).w(7).s("X").s("Y").b(0).b(22).b(255);
  }
  Code c;
  std::vector<uint16_t> ends;
};

// INIT: CHOICE work[7] with `count` options, then CLICK.
std::vector<uint8_t> Choice(int count) {
  Code c = Code().b(23).w(7);
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
    const InputState& in = g.in().input;  // the key went up again, no button is held
    EXPECT_EQ(std::tuple(g.in().scn.work[1], in.HoldMode, in.sft, in.clk, in.drg),
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
    for (int i = 0; i < 20 && !g.in().msgwin.PageWait; ++i) g.Ticks(1);
    ASSERT_TRUE(g.in().msgwin.PageWait);
    g.Run("wheel up\ntick\n");
    EXPECT_TRUE(g.in().backlog_window.open());
    g.Run("wheel down\ntick\nclick right\ntick\n");
    EXPECT_EQ(std::tuple(g.in().backlog_window.open(), g.in().input.HoldMode),
              std::tuple(false, 1));
    g.Run("click left\ntick\n");
    EXPECT_EQ(std::tuple(g.in().input.HoldMode, g.in().msgwin.PageWait), std::tuple(0, true));
    g.Run(input + "\ntick\nuntil WaitClick 50\n");
    EXPECT_EQ(g.in().scn.MainProc, WaitHandler::WaitClick);
  }
}

TEST(ReaderKeys, AHitMapIsAnsweredByEnterAtThePointerNeverByTheWheel) {
  GameRig g(Assembled("HITMAP work[9], \"MAP\", 0, 0\nCLICK\n"));
  Bitmap map(640, 480, kBlack);
  FillRect(map, {100, 100, 200, 200}, 0xFF0000);  // region 2
  g.files.Put(std::string(kDat) + "CG/MAP.BMP", BmpBytes(map));
  g.Start();
  g.Run("tick\n" + At(150, 150) + "wheel down\ntick\ntick\n");
  EXPECT_EQ(g.in().scn.MainProc, WaitHandler::HitMapPress);
  g.Run("key enter\ntick\ntick\n");
  EXPECT_EQ(g.in().scn.work[9], 2);
}

TEST(ReaderKeys, UpAndDownMoveThePointerOntoTheRowsAndEnterPicks) {
  GameRig g(Choice(3));
  g.Start();
  g.Run("tick\npointer 0 0\ntick\n");
  const text::Choices& ch = g.in().choices;
  ASSERT_EQ(ch.ChoiceHot, -1);
  // The highlighted row, with the drawn pointer on its marker: two presses before a tick count
  // twice; the ends hold; the wheel never answers a choice.
  for (auto [keys, hot] : {std::pair{"key down", 0}, {"key down\nkey down", 2}, {"key down", 2},
                           {"key up", 1}, {"key up\nkey up\nkey up", 0}, {"wheel down", 0}}) {
    g.Run(std::string(keys) + "\ntick\n");
    EXPECT_EQ(std::tuple(ch.ChoiceHot, g.in().input.msx, ch.RowAt(g.in().input.msy)),
              std::tuple(hot, ch.RowPoint(hot).x, hot)) << keys;
  }
  g.Run("pointer 0 0\ntick\nkey up\ntick\nkey enter\ntick\n");  // from no row, Up is the last
  EXPECT_EQ(std::tuple(ch.ChoiceHot, g.in().scn.work[7], g.in().scn.MainProc),
            std::tuple(2, 3, WaitHandler::None));
}

// A number key picks its row at every scale, and the pointer then goes back where it was (not over
// the text that follows); one past the last row, or away from a choice, does nothing and leaves the
// pointer where it was.
TEST(ReaderKeys, ANumberKeyPicksItsRow) {
  for (int scale : {50, 75, 100, 125, 150}) {
    for (int key = 1; key <= 4; ++key) {
      SCOPED_TRACE(std::to_string(scale) + "% key " + std::to_string(key));
      GameRig g(Choice(4));
      g.Start();
      g.in().panels.ResoSpin.SetValue(scale);
      g.Run("tick\npointer 0 0\ntick\nkey " + std::to_string(key) + "\ntick\n");
      EXPECT_EQ(std::tuple(g.in().scn.work[7], g.in().scn.MainProc, g.game->window().CursorPos()),
                std::tuple(key, WaitHandler::None, Point{0, 0}));
    }
  }
  GameRig g(Choice(2));
  g.Start();
  g.Run("tick\npointer 0 0\ntick\nkey 3\ntick\nkey 7\ntick\n");
  EXPECT_EQ(g.in().scn.MainProc, WaitHandler::ChoiceProc);
  EXPECT_EQ(g.game->window().CursorPos(), (Point{0, 0}));
  GameRig h(ClickCounter());
  h.Start();
  h.Run("tick\npointer 5 6\nkey 1\nkey down\ntick\n");
  EXPECT_EQ(h.in().scn.work[1], 1);
  EXPECT_EQ(h.game->window().CursorPos(), (Point{5, 6}));
}

TEST(ReaderKeys, EscapeHoldsThenOpensTheSettingsWhichKeepTheKeysFromTheGame) {
  GameRig g(ClickCounter());
  AtFirstClick(g);
  g.Run("key escape\ntick\n");
  EXPECT_EQ(g.in().input.HoldMode, 1);
  g.Run("key escape\ntick\n");
  ASSERT_TRUE(g.in().panels.ConfigPanel.visible);
  for (const char* input : {"key escape", "wheel down", "key 1", "key a", "key pageup"}) {
    g.Run(input);
    EXPECT_EQ(std::tuple(g.in().input.clk, g.in().panels.ConfigPanel.visible),
              std::tuple(0, true)) << input;
  }
  EXPECT_FALSE(g.in().backlog_window.open());
  // Enter presses the panel's focused OK; only the next one is a click.
  g.Run("tick\nkey enter\n");
  EXPECT_EQ(g.in().input.clk, 0);
  g.Run("key enter\ntick\ntick\n");
  EXPECT_EQ(std::tuple(g.in().panels.ConfigPanel.visible, g.in().scn.work[1]),
            std::tuple(false, 2));
}

// The game at the click wait after message `n` (1-based).
void ToWait(GameRig& g, int n) {
  g.Start();
  g.Run("pointer 500 500\nuntil WaitClick 200\n");
  for (int i = 1; i < n; ++i) g.Run("click left\ntick\ntick\nuntil WaitClick 200\n");
  ASSERT_EQ(g.in().scn.MainProc, WaitHandler::WaitClick);
  g.Run("tick\n");  // the drawn pointer in place
}

TEST(Backlog, KeysAndTheWheelGoThroughItAndPastTheNewestEndItCloses) {
  GameRig g(Story().c.bytes);
  ToWait(g, 3);
  struct Step { const char* input; bool open; std::size_t shown; };  // the oldest page stays
  for (const Step& s : {Step{"wheel up", true, 2}, {"key up", true, 1}, {"wheel up", true, 0},
                        {"key pageup", true, 0}, {"key down", true, 1}, {"key pagedown", true, 2},
                        {"key pagedown", false, 0}, {"key pageup", true, 2},
                        {"wheel down", false, 0}, {"key pageup", true, 2},
                        {"key down", false, 0}}) {
    g.Run(std::string(s.input) + "\ntick\n");
    const app::BacklogWindow& b = g.in().backlog_window;
    EXPECT_EQ(std::pair(b.open(), b.open() ? b.shown() : 0), std::pair(s.open, s.shown)) << s.input;
  }
}

TEST(Backlog, OpensAtTheNewestPageAndThePictureUnderItComesBackExactly) {
  for (auto [open, close] : {std::pair{"wheel up", "click right"}, {"key pageup", "key escape"},
                             {"wheel up", "wheel down\nwheel down"}}) {
    SCOPED_TRACE(std::string(open) + ", " + close);
    GameRig g(Story().c.bytes);
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
    CopyRect(outside, g.in().msgwin.msg.BoxRect, picture);
    EXPECT_EQ(outside, picture);
    g.Run(std::string(close) + "\ntick\n");
    EXPECT_FALSE(g.in().backlog_window.open());
    EXPECT_EQ(g.form().ScreenPicture(), picture);
    EXPECT_EQ(g.game->window().Canvas(), shown);
  }
}

// Clicks, keys and ticks while it is open reach nothing, and the right click that closes it starts
// no picture hold; opening it ends a reading mode.
TEST(Backlog, TheGameIsHeldWhileItIsOpen) {
  GameRig g(Story().c.bytes);
  ToWait(g, 2);
  const uint16_t inx = g.in().scn.inx;
  g.Run("key a\nwheel up\ntick 50\nclick left\ntick\nkey enter\nkey space\nkey 1\nkey tab\nkey a\n"
        "tick 50\n");
  EXPECT_EQ(std::tuple(g.in().backlog_window.open(), g.in().scn.MainProc, g.in().scn.inx,
                       g.in().reader.mode()),
            std::tuple(true, WaitHandler::WaitClick, inx, ReaderMode::Off));
  g.Run("click right\ntick 5\n");
  EXPECT_EQ(std::tuple(g.in().backlog_window.open(), g.in().input.HoldMode, g.in().scn.inx),
            std::tuple(false, 0, inx));
  g.Run("click left\ntick\ntick\n");
  EXPECT_NE(g.in().scn.inx, inx);
}

TEST(Backlog, TypingStopsWhileItIsOpenAndGoesOnAfter) {
  GameRig g(Code().b(21).b(1).s("AB").b(22).b(21).b(1).s(std::string(60, 'x')).b(22).b(255).bytes);
  g.Start();
  g.Run("until WaitClick 100\nclick left\ntick\ntick\ntick\n");
  ASSERT_EQ(g.in().scn.MainProc, WaitHandler::TypeText);
  const uint32_t pos = g.in().msgwin.MsgPos;
  ASSERT_LT(pos, 60u);
  g.Run("wheel up\ntick 20\n");
  ASSERT_TRUE(g.in().backlog_window.open());
  EXPECT_EQ(g.in().msgwin.MsgPos, pos);
  g.Run("key escape\ntick\n");
  EXPECT_GT(g.in().msgwin.MsgPos, pos);
}

TEST(Backlog, OpensOnlyAtAWaitWithSomethingToShow) {
  struct Case { const char* what; std::vector<uint8_t> init; const char* before; };  // at a wait
  const Case cases[] = {
      {"nothing shown yet", Code().b(22).b(255).bytes, ""},
      {"the picture hold", Story().c.bytes, "click right\ntick\n"},
      {"the settings panel", Story().c.bytes, "click right\ntick\nclick right\ntick\n"}};
  for (const Case& c : cases) {
    for (const char* opener : {"wheel up", "key pageup"}) {
      GameRig g(c.init);
      g.Start();
      g.Run(std::string("pointer 500 500\nuntil WaitClick 200\n") + c.before + opener + "\ntick\n");
      EXPECT_FALSE(g.in().backlog_window.open()) << c.what << ", " << opener;
    }
  }
}

std::string FocusOf(const Panel& panel) { return panel.focus ? panel.focus->name : "none"; }
// The given and the family name, as the scenario has them.
std::pair<std::string, std::string> Names(GameRig& g) {
  return {g.in().scn.mcr[0].str(), g.in().scn.mcr[2].str()};
}

// A click counter's game with the settings panel open (Escape holds, a second opens it).
struct SettingsRig : GameRig {
  SettingsRig() : GameRig(ClickCounter()) {
    AtFirstClick(*this);
    Run("key escape\ntick\nkey escape\ntick\n");
  }
  menus::Panels& p() { return in().panels; }
  std::string Focus() { return FocusOf(p().ConfigPanel); }
};

// The game's keyboard drives the panel (whose tab order is the menus suite's): up and down step the
// focused spin through its handler; in the source group every arrow checks the next button.
TEST(PanelKeys, ArrowsStepTheFocusedSpinOrCheckTheNextSourceButton) {
  SettingsRig r;
  r.Run("key tab\nkey tab\n");  // ResoSpin, 100 % in steps of 5
  ASSERT_EQ(r.Focus(), "ResoSpin");
  r.Run("key up\nkey up\nkey down\nkey left\nkey right\n");
  EXPECT_EQ(r.p().ResoSpin.value, 105);
  r.Run("key tab\nkey tab\nkey down\n");
  EXPECT_EQ(std::tuple(r.Focus(), r.p().MidiBtn.checked, r.p().WaveBtn.checked),
            std::tuple("MidiBtn", true, false));
  r.Run("key left\nkey left\nkey space\n");  // wraps round to the last button
  EXPECT_EQ(std::tuple(r.Focus(), r.p().MuteBtn.checked), std::tuple("MuteBtn", true));
}

TEST(PanelKeys, GameEndFromTheKeyboardAsksAndTheBoxIsAnsweredByKeys) {
  // The keys in the quit question; tab leaves it unanswered: its close button.
  for (auto [keys, ended] : {std::pair{"escape", false}, {"space", true}, {"tab", false}}) {
    SCOPED_TRACE(keys);
    SettingsRig r;
    r.Run("key shift+tab\n");
    ASSERT_EQ(r.Focus(), "EndButton");
    EXPECT_EQ(r.in().input.sft, 0) << "Shift went up again";
    r.Run(std::string("answer keys ") + keys + "\nkey enter\n");
    const auto& boxes = r.game->dialogs().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::tuple(boxes[0].text, boxes[0].kind, boxes[0].buttons, boxes[0].answer),
              std::tuple(S("本当に終了するよ？"), platform::MessageKind::Confirmation,
                         platform::Buttons::OkCancel,
                         ended ? platform::Answer::Ok : platform::Answer::Cancel));
    EXPECT_EQ(std::tuple(r.game->ended(), r.in().quit), std::tuple(ended, ended));
    EXPECT_TRUE(ended || r.p().ConfigPanel.visible) << "Cancel leaves all as it was";
  }
}

TEST(PanelKeys, NamesAreEnteredFromTheKeyboardAlone) {
  GameRig g(NameHero());
  AtFirstClick(g);
  menus::Panels& p = g.in().panels;
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
  AtFirstClick(g);
  menus::Panels& p = g.in().panels;
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
  menus::Panels& p = g.in().panels;
  EXPECT_EQ(std::tuple(p.SecondNameEdit.text, p.NamePanel.focus), std::tuple("", nullptr));
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

TEST(ReadMessagesFile, KeepsEveryMessageAndLeavesOutWhatMakesNoSense) {
  ReadMessages set;
  EXPECT_TRUE(set.Add({"INIT", 7}));
  EXPECT_FALSE(set.Add({"INIT", 7}));
  EXPECT_TRUE(set.Add({"\x93\xFA\x96\x7B", 65535}));  // a Shift-JIS name
  const std::vector<uint8_t> bytes = set.Encode();
  const std::string head = "velmor read messages 1\n";
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), head + "494E4954 7\n93FA967B 65535\n");
  struct Case { std::string text; std::size_t kept; int bad; };
  for (const Case& c : {Case{std::string(bytes.begin(), bytes.end()), 2, 0}, Case{"", 0, 0},
                        Case{"something else\n494E4954 7\n", 0, 1}, Case{head, 0, 0},
                        Case{head + "494E4954 7\n\n53 1\n", 2, 0},
                        Case{head + "494E495 7\n", 0, 1},  // odd digits
                        Case{head + "494E4954 65536\n", 0, 1}, Case{head + "494E4954 -1\n", 0, 1},
                        Case{head + "494E4954\n", 0, 1},
                        Case{head + "ZZ 3\n 3\n494E4954 3x\n53 2\n", 1, 3}}) {
    int bad = -1;
    const auto* data = reinterpret_cast<const uint8_t*>(c.text.data());
    const std::size_t kept = ReadMessages::Decode({data, c.text.size()}, &bad).size();
    EXPECT_EQ(std::pair(kept, bad), std::pair(c.kept, c.bad)) << c.text;
  }
}

// The set keeps the newest messages read; a file longer than what is read
// of it gives its newest lines, and the player is told once.
TEST(ReadMessagesFile, KeepsTheNewestAndTheGameSaysSoOnce) {
  auto id = [](std::size_t i) {
    return app::MessageId{"F" + std::to_string(i / 60000), static_cast<uint16_t>(i % 60000)};
  };
  ReadMessages set;
  for (std::size_t i = 0; i < ReadMessages::kKept + 2; ++i) set.Add(id(i));
  EXPECT_EQ(std::tuple(set.size(), set.forgot(), set.Contains(id(1)), set.Contains(id(2)),
                       set.Contains(id(ReadMessages::kKept + 1))),
            std::tuple(ReadMessages::kKept, true, false, true, true));
  const std::vector<uint8_t> bytes = set.Encode();
  const std::string text(bytes.begin(), bytes.begin() + 40);
  EXPECT_EQ(text.substr(0, text.find('\n', 24)), "velmor read messages 1\n4630 2")
      << "oldest first";

  // 360,000 lines (about 4.6 MB): the read stops at 4 MiB from the end.
  std::string file = "velmor read messages 1\n";
  for (std::size_t i = 0; i < 360000; ++i)
    file += "46463" + std::to_string(i / 60000) + " " + std::to_string(i % 60000) + "\n";
  ASSERT_GT(file.size(), app::ReaderModes::kMaxFileBytes);
  for (bool ours : {true, false}) {
    SCOPED_TRACE(ours);
    GameRig g(ClickCounter());
    g.files.Put(kReadFile, ours ? file : "not ours\n" + file.substr(23));
    ASSERT_EQ(g.Start(), std::nullopt);
    g.Ticks(3);
    const app::ReadMessages& read = g.in().reader.read();
    EXPECT_EQ(read.size(), ours ? ReadMessages::kKept : 0u);
    EXPECT_EQ(read.Contains({"FF5", 59999}), ours) << "the newest";
    EXPECT_FALSE(read.Contains({"FF0", 0})) << "the oldest";
    int told = 0;
    for (const std::string& notice : g.game->Notices())
      told += notice.find("READTEXT.TXT") != std::string::npos;
    EXPECT_EQ(told, ours ? 1 : 0);
  }
}

TEST(AutoMode, ThePageDecidesTheWait) {
  struct Case { ByteString text; std::size_t end; int32_t characters; };
  const ByteString full = Sjis("日本語");
  for (Case c : {Case{Sjis("ABCD"), 4, 4}, Case{full, full.size(), 3},
                 Case{ByteString("AB\x03" "ZC"), 5, 3},   // a colour code and its argument
                 Case{ByteString("ABC\x05" "DE"), 6, 2},  // the page after a page wait
                 Case{ByteString("ABC\x05" "DE"), 3, 3}, Case{Sjis("ABCD"), 99, 4},
                 Case{ByteString(), 0, 0}})
    EXPECT_EQ(app::PageCharacters(c.text, c.end), c.characters) << c.text.str();
  // Characters, the base delay and the ticks waited.
  for (auto [characters, delay_ms, ticks] :
       {std::tuple{0, 1500, 75}, {1, 1500, 78}, {0, 1510, 76},  // rounded up to a tick
        {10, 1500, 105}, {-3, 1500, 75}, {4, 0, 12}, {2, 4000, 206}})
    EXPECT_EQ(app::AutoWaitTicks(characters, delay_ms), ticks) << characters << " " << delay_ms;
}

// Messages typed to the end and gone on from are kept beside the slots; a file that cannot be written loses nothing
// else, and a damaged one gives what it holds.
TEST(ReaderModes, MessagesTypedToTheEndAreKeptBesideTheSlots) {
  Story s;
  for (bool writable : {true, false}) {
    SCOPED_TRACE(writable);
    GameRig g(s.c.bytes);
    if (!writable) {  // the folder is there, but cannot be written
      g.files.Put("PROG/OTHER", "x");
      g.files.MakeReadOnly("PROG/");
    }
    g.Start();
    g.Run("until WaitClick 100\nclick left\ntick\nuntil WaitClick 100\nclick left\ntick\n");
    EXPECT_EQ(std::tuple(g.in().reader.read().size(), g.in().reader.save_failed(),
                         g.game->dialogs().Boxes().empty(), g.files.Has("PROG/DATA00")),
              std::tuple(2u, !writable, true, false));
    EXPECT_EQ(g.game->StateJson().find("READ"), std::string::npos);
    if (!writable) continue;
    ReadMessages want;
    want.Add({"INIT", s.ends[0]});
    want.Add({"INIT", s.ends[1]});
    ASSERT_NE(g.files.Get(kReadFile), nullptr);
    EXPECT_EQ(*g.files.Get(kReadFile), want.Encode());
  }
  GameRig h(s.c.bytes);
  h.files.Put(kReadFile,
              "velmor read messages 1\nnonsense\n494E4954 " + std::to_string(s.ends[0]) + "\n");
  h.Start();
  EXPECT_EQ(h.in().reader.read().size(), 1u);
}

// Skipping passes read messages without a click and ends at the first unread one (its click wait
// waits for the player) or at a choice, read or not.
TEST(ReaderModes, SkippingPassesReadMessagesAndStopsAtTheFirstUnreadOrAChoice) {
  // The first messages read before, the keys, where skipping stops.
  for (auto [read, keys, stop] : {std::tuple{2u, "keys ctrl\nkey tab\n", WaitHandler::WaitClick},
                                  {3u, "key tab\n", WaitHandler::ChoiceProc}}) {
    SCOPED_TRACE(read);
    Story s;
    GameRig g(s.c.bytes);
    ReadMessages messages;
    for (std::size_t i = 0; i < read; ++i) messages.Add({"INIT", s.ends[i]});
    g.files.Put(kReadFile, messages.Encode());
    g.Start();
    g.Run(keys);
    EXPECT_EQ(g.in().reader.mode(), ReaderMode::SkipRead);
    g.Run("tick 30\n");
    // The key went up; nothing lent is left behind.
    const FormInternals f{g.form()};
    EXPECT_EQ(std::tuple(f.scn.MainProc, f.msgwin.MsgText.str(), f.reader.mode(), f.input.sft,
                         f.scn.work[7]), std::tuple(stop, "CC", ReaderMode::Off, 0, 0));
  }
}

// A message is read once the player has seen all of it, typed without the skip key, and gone on
// from it: a skip begun while it types or at the wait after it stays there; a message the player
// typed with Ctrl held is not read.
TEST(ReaderModes, SkippingNeverPassesAMessageThePlayerHasNotGoneOnFrom) {
  for (const std::string start : {"tick 1\nkey tab\n", "tick 20\nkey tab\n", "keys ctrl\ntick 20\nkeys\nkey tab\n"}) {
    SCOPED_TRACE(start);
    Story s;
    GameRig g(s.c.bytes);
    g.Start();
    g.Run("until TypeText 100\n" + start + "tick 300\n");
    const FormInternals f{g.form()};
    EXPECT_EQ(std::tuple(f.scn.MainProc, f.msgwin.MsgText.str(), f.reader.mode(), f.reader.read().size()),
              std::tuple(WaitHandler::WaitClick, "AAAA", ReaderMode::Off, 0u));
    g.Run("click left\ntick\nuntil WaitClick 100\n");
    const bool ctrl = start.starts_with("keys");
    EXPECT_EQ(f.reader.read().size(), ctrl ? 0u : 1u);
  }
}

// Held Ctrl passes typing as the game has it; with the reader's setting on it also passes click
// waits and a page wait already begun, never a choice; letting go of Ctrl stops it.
TEST(ReaderModes, HeldCtrlPassesClickAndPageWaitsOnlyWhenTheReaderAsksForIt) {
  for (bool on : {false, true}) {
    SCOPED_TRACE(on);
    Story s;
    GameRig g(s.c.bytes);
    g.Start();
    g.Run(std::string("reader ctrl_passes_waits ") + (on ? "1" : "0") + "\nkeys ctrl\ntick 300\n");
    const FormInternals f{g.form()};
    EXPECT_EQ(std::tuple(f.scn.MainProc, f.msgwin.MsgText.str(), f.scn.work[7]),
              on ? std::tuple(WaitHandler::ChoiceProc, std::string("CC"), int16_t{0})
                 : std::tuple(WaitHandler::WaitClick, std::string("AAAA"), int16_t{0}));
    EXPECT_EQ(f.reader.read().size(), 0u) << "nothing passed with Ctrl was read";

    GameRig p(Code().b(21).b(1).s("AB\x05" "CD").b(22).b(21).b(1).s("EF").b(22).bytes);
    p.Start();
    p.Run(std::string("reader ctrl_passes_waits ") + (on ? "on" : "off") + "\n");
    for (int i = 0; i < 20 && !p.in().msgwin.PageWait; ++i) p.Ticks(1);
    ASSERT_TRUE(p.in().msgwin.PageWait);
    p.Run("keys ctrl\ntick 5\n");
    EXPECT_EQ(std::tuple(p.in().msgwin.PageWait, p.in().msgwin.MsgText.str()),
              on ? std::tuple(false, std::string("EF")) : std::tuple(true, std::string("AB\x05" "CD")));
    p.Run("keys\ntick 5\n");
    EXPECT_EQ(p.in().scn.MainProc, on ? WaitHandler::WaitClick : WaitHandler::TypeText)
        << "without Ctrl the next wait waits";
  }
  GameRig g(ClickCounter());
  g.Start();
  std::string error;
  EXPECT_FALSE(g.game->RunCommand("reader ctrl_passes_waits maybe", &error));
  EXPECT_THAT(error, HasSubstr("ctrl_passes_waits cannot be"));
  EXPECT_FALSE(g.game->RunCommand("reader nonsense 1", &error));
  EXPECT_THAT(error, HasSubstr("no reader setting"));
}

TEST(ReaderModes, TheKeysToggleTheModesWhichExcludeEachOtherAndAnyClickOnlyEndsThem) {
  Story s;
  GameRig g(s.c.bytes);
  g.Start();
  g.Run("until WaitClick 100\ntick\n");
  FormInternals f{g.form()};
  for (auto [key, mode, indicator] :
       {std::tuple{"key a", ReaderMode::Auto, "Auto"},
        {"key tab", ReaderMode::SkipRead, "Skipping read text"}, {"key tab", ReaderMode::Off, ""},
        {"key a", ReaderMode::Auto, "Auto"}, {"key a", ReaderMode::Off, ""}}) {
    g.Run(key);
    // While a mode is on the ticks never rest.
    EXPECT_EQ(std::tuple(f.reader.mode(), f.reader.Indicator(), f.form.IdleFor().has_value()),
              std::tuple(mode, indicator, mode == ReaderMode::Off)) << key;
  }
  for (const std::string click :
       {"click left", "click right", "key enter", "key space", "key escape", "wheel down"}) {
    g.Run("key a\n");
    ASSERT_EQ(f.reader.mode(), ReaderMode::Auto);
    g.Run(click + "\ntick\ntick\n");
    EXPECT_EQ(std::tuple(f.reader.mode(), f.scn.MainProc, f.input.HoldMode, f.msgwin.MsgText.str()),
              std::tuple(ReaderMode::Off, WaitHandler::WaitClick, 0, "AAAA")) << click;
  }
}

// Auto mode goes on after the time the page takes to read (a longer page waits longer), turns page
// waits too, and waits for the player at a choice.
TEST(ReaderModes, AutoGoesOnAfterTheTimeThePageTakesToRead) {
  Story s;
  GameRig g(s.c.bytes);
  g.Start();
  g.Run("until WaitClick 100\nkey a\n");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(4));  // "AAAA"
  g.Run("until WaitClick 100\n");
  ASSERT_EQ(g.in().msgwin.MsgText.str(), "BBBBBBBBBB");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(10));
  g.Run("until ChoiceProc 400\ntick 500\n");
  EXPECT_EQ(std::tuple(g.in().scn.MainProc, g.in().reader.mode()),
            std::tuple(WaitHandler::ChoiceProc, ReaderMode::Auto));
  GameRig p(Code().b(21).b(1).s("AB\x05" "C").b(22).b(255).bytes);  // \x05: a page wait
  p.Start();
  p.Run("key a\n");
  for (int i = 0; i < 20 && !p.in().msgwin.PageWait; ++i) p.Ticks(1);
  ASSERT_TRUE(p.in().msgwin.PageWait);
  p.Run("tick " + std::to_string(app::AutoWaitTicks(2) + 1) + "\n");
  EXPECT_FALSE(p.in().msgwin.PageWait);
}

ReaderSettings Make(int volume, bool smooth, int delay) {
  ReaderSettings s;
  s.music_volume = volume, s.smooth_scaling = smooth, s.auto_delay_ms = delay;
  return s;
}

// Each text gives its settings, or the defaults and the reason it was refused.
TEST(ReaderSettingsText, ReadsValuesInRangeOrRefusesADamagedText) {
  struct Case { std::string text; ReaderSettings want; const char* problem = ""; };  // "": none
  const ReaderSettings defaults;
  const Case cases[] = {
      {"[reader]\nmusic_volume=40\nsmooth_scaling=1\nauto_delay_ms=800\n", Make(40, true, 800)},
      {"[Reader]\r\n  MUSIC_VOLUME = 70 \r\nSmooth_Scaling=on\r\n", Make(70, true, 1500)},
      {"[reader]\nsmooth_scaling=yes\nsmooth_scaling=false\n", Make(100, false, 1500)},
      {"[reader]\nmusic_volume=150\nauto_delay_ms=-20\n", Make(100, false, 0)},
      {"[reader]\nmusic_volume=-1\nauto_delay_ms=99999999999999999999\n", Make(0, false, 10000)},
      {"[reader]\nmusic_volume=loud\n", defaults, "line 2: music_volume cannot be \"loud\""},
      {"[reader]\nmusic_volume=50%\n", defaults, "line 2"},
      {"[reader]\nsmooth_scaling=maybe\n", defaults, "smooth_scaling cannot be"},
      {"[reader]\nauto_delay_ms=\n", defaults, "auto_delay_ms cannot be"},
      {"[reader\nmusic_volume=5\n", defaults, "line 1 opens a section"},
      {"[reader]\n# a comment\n\n; another\njust some words\n", defaults,
       "line 5 is not \"name=value\""},
      {std::string("[reader]\nmusic_volume=5\n\0\x01\x02", 26), defaults, "not a text file"},
      {"music_volume=\xFF\xFE\n", defaults, "not a text file"},
      {std::string(70000, '#'), defaults, "far too long"},
      {"[reader]\nlanguage=fr\n", defaults, "line 2: language cannot be \"fr\""},
      {"[reader]\ntranslate_game=2\n", defaults, "translate_game cannot be"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    app::ParsedSettings got = ParseReaderSettings(c.text);
    EXPECT_EQ(std::tuple(got.settings, got.problem.empty()), std::tuple(c.want, !*c.problem));
    EXPECT_THAT(got.problem, HasSubstr(c.problem));
  }
}

// The language of Velmor's texts and the game's texts translated: read in
// any letter case, written back, and both off or the system's by default.
TEST(ReaderSettingsText, TheLanguageAndTheGamesTranslation) {
  EXPECT_EQ(ReaderSettings().language, LanguageChoice::System);
  EXPECT_FALSE(ReaderSettings().translate_game);
  app::ParsedSettings got = ParseReaderSettings("[reader]\nlanguage=JA\ntranslate_game=on\n");
  ASSERT_EQ(got.problem, "");
  EXPECT_EQ(got.settings.language, LanguageChoice::Japanese);
  EXPECT_TRUE(got.settings.translate_game);
  EXPECT_THAT(app::FormatReaderSettings(got.settings), HasSubstr("language=ja\ntranslate_game=1\n"));
  for (LanguageChoice choice : {LanguageChoice::System, LanguageChoice::English, LanguageChoice::Japanese})
    for (bool translate : {false, true}) {
      ReaderSettings s;
      s.language = choice;
      s.translate_game = translate;
      EXPECT_EQ(ParseReaderSettings(app::FormatReaderSettings(s)).settings, s);
    }
}

// Written and read again, nothing is lost or moved to another section, and what was out of range is
// written in range.
TEST(ReaderSettingsText, WrittenSettingsReadBackAsTheyWere) {
  app::ParsedSettings others = ParseReaderSettings(
      "music_volume=10\n[reader]\nauto_delay_ms=100\nlater_feature=abc def\n[window]\nx=3\ny=\n");
  ASSERT_EQ(others.problem, "");
  EXPECT_EQ(others.settings.music_volume, 100) << "only the reader section's";
  EXPECT_EQ(others.settings.others,
            (std::vector<ReaderSettings::Other>{{"", "music_volume", "10"},
                                                {"reader", "later_feature", "abc def"},
                                                {"window", "x", "3"}, {"window", "y", ""}}));
  for (const ReaderSettings& s : {others.settings, ReaderSettings(), Make(0, true, 0),
                                  Make(100, false, 10000), Make(33, true, 2750)}) {
    app::ParsedSettings back = ParseReaderSettings(app::FormatReaderSettings(s));
    EXPECT_EQ(std::pair(back.problem, back.settings), std::pair(std::string(), s));
  }
  EXPECT_EQ(ParseReaderSettings(app::FormatReaderSettings(Make(400, false, -5))).settings,
            Make(100, false, 0));
  // The picture's size, the text's face and Ctrl: the game's own ways by default, save the face.
  ReaderSettings newer;
  EXPECT_EQ(std::tuple(newer.picture_size, newer.text_face, newer.ctrl_passes_waits),
            std::tuple(app::PictureSize::Game, app::TextFace::Bitmap, false));
  newer.picture_size = app::PictureSize::FitScreen;
  newer.text_face = app::TextFace::Outline;
  newer.ctrl_passes_waits = true;
  EXPECT_THAT(app::FormatReaderSettings(newer),
              HasSubstr("picture_size=fit\ntext_face=outline\nctrl_passes_waits=1\n"));
  EXPECT_EQ(ParseReaderSettings(app::FormatReaderSettings(newer)).settings, newer);
  EXPECT_EQ(ParseReaderSettings("[reader]\npicture_size=Fit\ntext_face=OUTLINE\nctrl_passes_waits=yes\n")
                .settings, newer);
  for (const char* wrong : {"picture_size=150", "text_face=serif", "ctrl_passes_waits=2"})
    EXPECT_THAT(ParseReaderSettings(std::string("[reader]\n") + wrong).problem,
                HasSubstr("cannot be")) << wrong;
  // The debugger's window where the player left it; a place that makes no sense is forgotten.
  ReaderSettings placed = others.settings;
  placed.debugger_window = Rect::FromSize(-20, 30, 460, 500);
  const std::string text = app::FormatReaderSettings(placed);
  EXPECT_THAT(text, HasSubstr("[debugger]\nwindow=-20 30 460 500\n"));
  EXPECT_EQ(ParseReaderSettings(text).settings, placed);
  for (const char* wrong : {"1 2 3", "1 2 0 4", "a b c d", "1 2 3 4 5"}) {
    app::ParsedSettings got = ParseReaderSettings(std::string("[debugger]\nwindow=") + wrong);
    EXPECT_EQ(std::pair(got.problem, got.settings.debugger_window),
              std::pair(std::string(), std::optional<Rect>())) << wrong;
  }
}

TEST(ReaderSettingsFileTest, SavedLoadedAndADamagedFileReportedOnceAndReplaced) {
  platform::MemoryFiles files;
  ReaderSettingsFile file(files, "HOME/.config/velmor/settings.ini");
  std::string report = "untouched", error;
  EXPECT_EQ(file.Load(&report), ReaderSettings());  // no file: the defaults
  EXPECT_FALSE(files.Exists("HOME/.config/velmor/settings.ini"));  // nothing written for that
  ASSERT_TRUE(file.Save(Make(20, true, 3000), &error)) << error;
  EXPECT_EQ(file.Load(&report), Make(20, true, 3000));
  EXPECT_EQ(report, "untouched");
  const std::string path = "CFG/velmor/settings.ini";
  files.Put(path, "garbage\n");
  ReaderSettingsFile damaged(files, path);
  EXPECT_EQ(damaged.Load(&report), ReaderSettings());
  EXPECT_THAT(report,
              AllOf(HasSubstr(path), HasSubstr("line 1"), HasSubstr("back to their defaults")));
  // The file now holds the defaults: the next start says nothing.
  report.clear();
  EXPECT_EQ(damaged.Load(&report), ReaderSettings());
  EXPECT_EQ(report, "");
  const std::string want = app::FormatReaderSettings(ReaderSettings());
  EXPECT_EQ(files.ReadFile(path, nullptr), std::vector<uint8_t>(want.begin(), want.end()));
}

TEST(ReaderSettingsFileTest, AFolderThatCannotBeWrittenIsSaidSo) {
  platform::MemoryFiles files;
  const std::string path = "RO/velmor/settings.ini";
  files.Put(path, "x\n");
  files.MakeReadOnly("RO/");
  ReaderSettingsFile file(files, path), nowhere(files, "");
  std::string report, error;
  EXPECT_EQ(file.Load(&report), ReaderSettings());
  EXPECT_THAT(report, HasSubstr("for this run"));
  EXPECT_FALSE(file.Save(ReaderSettings(), &error));
  EXPECT_THAT(error, HasSubstr("Permission denied"));
  EXPECT_EQ(nowhere.Load(&report), ReaderSettings());
  EXPECT_FALSE(nowhere.Save(ReaderSettings(), &error));
  EXPECT_THAT(error, HasSubstr("XDG_CONFIG_HOME"));
}

TEST(ReaderSettingsFileTest, WhereTheFileLives) {
  const char* const in_home = "/home/a/.config/velmor/settings.ini";
  struct Case { const char *xdg, *home, *path; };
  for (Case c : {Case{"/cfg/", "/home/a", "/cfg/velmor/settings.ini"},
                 Case{"relative", "/home/a", in_home}, Case{"", "/home/a/", in_home},
                 Case{nullptr, "/home/a", in_home}, Case{nullptr, nullptr, ""},
                 Case{nullptr, "", ""}})
    EXPECT_EQ(app::ReaderSettingsPathFrom(c.xdg, c.home), c.path)
        << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
}

TEST(ReaderSettingsInTheGame, TheyTakeEffect) {
  GameRig g(Code().b(21).b(1).s("AAAA").b(22).b(21).b(1).s("BB").b(22).b(255).bytes);
  g.Start();
  g.form().ApplyReaderSettings(Make(150, true, 0));
  EXPECT_EQ(g.form().reader_settings(), Make(100, true, 0));  // brought into range
  auto heard = [&g] {
    return std::pair(g.game->media().Volume(), g.game->window().SmoothScaling());
  };
  EXPECT_EQ(heard(), std::pair(100, true));
  g.form().ApplyReaderSettings(Make(30, false, 0));
  EXPECT_EQ(heard(), std::pair(30, false));
  // Auto mode without its base delay waits only the page's time a character; a longer delay waits
  // longer.
  g.Run("until WaitClick 100\nkey a\n");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(4, 0));
  g.form().ApplyReaderSettings(Make(30, false, 4000));
  g.Run("until WaitClick 100\n");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(2, 4000));
}

}  // namespace
}  // namespace velmor::testing
