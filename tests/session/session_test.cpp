// The session over a whole game on in-memory files: who gets each event (the views over the game,
// an open box, the reader's settings, a name field, the game), boxes that never block and hold
// only the ticks of the tick that raised them, the window's own keys, typed text and the input
// method, and how long a front end may sleep. (What the game does with the events it gets is the
// app suite's, through the same session.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reader_settings.h"
#include "core/sjis.h"
#include "menus/panel_layout.h"
#include "session/keys.h"
#include "session/session.h"
#include "support/assembly.h"
#include "support/bytecode.h"
#include "support/game_data.h"

namespace velmor::testing {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::MessageKind;
using session::Session;
using ::testing::ElementsAre;

inline std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

// Views that record what reaches them.
struct RecordingViews : session::Views {
  void Key(const KeyEvent& e) override { log.push_back(e.down ? "key down" : "key up"); }
  void Button(const ButtonEvent& e) override { log.push_back(e.down ? "press" : "release"); }
  void Wheel(const WheelEvent&) override { log.push_back("wheel"); }
  void Pointer(Point) override { log.push_back("pointer"); }
  void Focus(bool gained) override { log.push_back(gained ? "focus" : "blur"); }
  void Text(std::string_view utf8) override { log.push_back("text " + std::string(utf8)); }
  bool DebuggerCovers(Point p) const override { return debugger_area.contains(p.x, p.y); }
  bool DebuggerWantsKeyboard() const override { return debugger_typing; }
  bool TextActive() const override { return false; }
  std::vector<std::string> log;
  Rect debugger_area;
  bool debugger_typing = false;
};

// A window whose full screen switch changes the headless window's size.
struct FakeWindow : session::WindowControls {
  explicit FakeWindow(platform::HeadlessWindow& w) : window(w) {}
  bool ToggleFullScreen() override {
    full = !full;
    window.Resize(full ? Size{1280, 960} : Size{1024, 768});
    return true;
  }
  void CaptureNextFrame() override { ++captures; }
  platform::HeadlessWindow& window;
  bool full = false;
  int captures = 0;
};

KeyEvent Down(Key k, Modifiers held = {}) { return {k, held, true, false}; }
KeyEvent Up(Key k, Modifiers held = {}) { return {k, held, false, false}; }

struct SessionRig {
  explicit SessionRig(const std::vector<uint8_t>& init = ClickCounter()) : g(init) {
    s().SetViews(&views);
  }
  Session& s() { return g.game->session(); }
  FormInternals f() { return g.in(); }
  menus::Panels& p() { return g.form().panels(); }
  void Press(Key k, Modifiers held = {}) {
    s().Key(Down(k, held));
    s().Key(Up(k, held));
    s().AfterEvents(0);
  }
  void Click(Point at, MouseButton b = MouseButton::Left) {
    s().Button({b, true, at});
    s().Button({b, false, at});
    s().AfterEvents(0);
  }
  // Opens a panel at `at` as the game does.
  void Show(Panel& panel, Point at = {100, 100}) {
    panel.MoveTo(at.x, at.y);
    panel.visible = true;
  }
  static Point Centre(const Control& c) {
    const Rect r = menus::WindowRect(c);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  GameRig g;
  RecordingViews views;
};

TEST(Routing, TheGameHearsNothingBeforeItStartsThenClicksAndKeysAsItsOwn) {
  SessionRig r;
  auto input = [&] { return std::tuple(r.f().input.clk, r.f().input.drg, r.f().input.sft); };
  r.s().Button({MouseButton::Left, true, {5, 5}});
  r.s().Key(Down(Key::Ctrl, {.ctrl = true}));
  r.s().Window(WindowEvent::CloseRequested);
  EXPECT_EQ(std::tuple(input(), r.s().boxes().size()), std::tuple(std::tuple(0, 0, 0), 0u));
  r.g.Start();
  r.g.Ticks(1);
  r.s().Button({MouseButton::Right, true, {5, 5}});
  r.s().Key(Down(Key::Ctrl, {.ctrl = true}));
  EXPECT_EQ(input(), std::tuple(2, 2, 2));
  r.s().Button({MouseButton::Right, false, {5, 5}});
  r.s().Key(Up(Key::Ctrl));
  EXPECT_EQ(input(), std::tuple(2, 0, 0));
  // An extra button is "no button": it clears the click.
  r.s().Button({MouseButton::Other, true, {5, 5}});
  EXPECT_EQ(r.f().input.clk, 0);
  EXPECT_THAT(r.views.log, ElementsAre("release", "key up")) << "the views see only releases";
  r.g.game->dialogs().HoldBoxes(true);
  r.s().Window(WindowEvent::CloseRequested);
  ASSERT_EQ(r.s().boxes().size(), 1u);
  EXPECT_EQ(r.s().boxes().Top()->text(), S("本当に終了するよ？"));
}

TEST(Routing, OverAPanelTheViewsTakeTheInputAndTheGameHearsOnlyPlainKeys) {
  SessionRig r;
  r.g.Start();
  r.g.Ticks(1);
  r.Show(r.p().ConfigPanel);
  const Point on_panel = SessionRig::Centre(r.p().EndButton);
  r.Click(on_panel);
  r.s().Wheel({-1, false, on_panel});
  r.s().Wheel({-1, false, {5, 5}});  // a panel is open: the wheel is the views' anywhere
  r.Press(Key::Escape);
  r.Press(Key::Digit1);
  r.s().Pointer({6, 6});
  EXPECT_THAT(r.views.log, ElementsAre("press", "release", "wheel", "wheel", "key down", "key up",
                                       "key down", "key up", "pointer"));
  // Keys in place of the mouse are the panel's: no click, no choice; the key itself was heard.
  EXPECT_EQ(std::tuple(r.f().input.clk, r.f().input.sft, r.f().scn.MainProc),
            std::tuple(0, 0, scenario::WaitHandler::WaitClick));
  // Outside the panel the game hears a click; a release goes where its press went.
  r.views.log.clear();
  r.s().Button({MouseButton::Left, true, {5, 5}});
  r.s().Button({MouseButton::Left, false, on_panel});
  EXPECT_EQ(std::tuple(r.f().input.clk, r.f().input.drg), std::tuple(1, 0));
  EXPECT_THAT(r.views.log, ElementsAre("release"));
  // The debugger's window stands beside the game: over it the views take the click.
  r.p().ConfigPanel.visible = false;
  r.views.debugger_area = Rect{0, 0, 50, 50};
  r.s().ShowDebugger(true);
  r.f().input.clk = 0;
  r.Click({5, 5});
  r.Click({500, 500});
  EXPECT_EQ(r.f().input.clk, 1);
  EXPECT_THAT(r.views.log, ElementsAre("release", "press", "release", "release"));
}

TEST(Routing, AFocusedNameFieldTakesTextAndKeepsTheKeysFromTheGame) {
  SessionRig r(Code().b(44).b(22).bytes);  // NAMEHERO, then CLICK
  r.g.Start();
  r.g.Ticks(1);
  ASSERT_TRUE(r.p().NamePanel.visible);
  r.p().NamePanel.SetFocus(&r.p().SecondNameEdit);
  r.s().AfterEvents(0);
  const session::TextInput on = r.s().text_input();
  EXPECT_TRUE(on.on);
  EXPECT_EQ(on.field, menus::WindowRect(r.p().SecondNameEdit));
  r.s().Key(Down(Key::Ctrl, {.ctrl = true}));
  r.s().Text("山田");
  EXPECT_EQ(std::pair(r.p().SecondNameEdit.text, r.f().input.sft), std::pair(S("山田"), 0));
  // Enter in the field is the field's own (on to the next one); the game hears nothing of it.
  r.Press(Key::Enter);
  EXPECT_EQ(r.p().NamePanel.focus, &r.p().FirstNameEdit);
  EXPECT_EQ(r.f().input.clk, 0);
  EXPECT_GT(r.s().text_input().field_moves, on.field_moves);
}

// Anthy set to commit on focus out: the composition a field took when the focus moved comes again
// as typed text once text input is on again; that echo is not typed twice.
TEST(Routing, ACompositionTheFieldTookIsNotTypedAgainWhenTheInputMethodEchoesIt) {
  SessionRig r(Code().b(44).b(22).bytes);
  r.g.Start();
  r.g.Ticks(1);
  r.p().NamePanel.SetFocus(&r.p().SecondNameEdit);
  r.s().AfterEvents(0);
  r.s().Compose("やまだ", 3);
  EXPECT_EQ(r.p().SecondNameEdit.composition, "やまだ");
  const uint64_t resets = r.s().text_input().resets;
  r.p().NamePanel.SetFocus(&r.p().FirstNameEdit);  // a click on the other field
  r.s().AfterEvents(0);
  EXPECT_EQ(r.p().SecondNameEdit.text, S("やまだ"));
  EXPECT_EQ(r.s().text_input().resets, resets + 1) << "the input method must forget it";
  EXPECT_TRUE(r.s().text_input().on);
  r.s().Text("やま");  // the echo, in two pieces
  r.s().Text("だ");
  r.s().Text("花子");  // then typed text
  EXPECT_EQ(std::pair(r.p().SecondNameEdit.text, r.p().FirstNameEdit.text),
            std::pair(S("やまだ"), S("花子")));
}

// A box opened by a panel's button lets the ticks go on but no input through; one raised by a tick
// holds the ticks until it is answered; the answer reaches the one who asked.
TEST(Boxes, ABoxKeepsTheInputAndHoldsOnlyTheTicksOfTheTickThatRaisedIt) {
  SessionRig r(Assembled("LET work[1], 1\nCLICK\nMUSIC \"NONE\"\nLET work[1], 2\nCLICK\n"));
  r.g.game->dialogs().HoldBoxes(true);
  r.g.Start();
  r.g.Ticks(1);
  r.Show(r.p().ConfigPanel);
  r.p().ConfigPanel.SetFocus(&r.p().EndButton);
  r.Press(Key::Space);  // the quit question
  r.views.log.clear();
  r.s().Button({MouseButton::Left, true, {5, 5}});
  r.Press(Key::Ctrl, {.ctrl = true});
  ASSERT_EQ(r.s().boxes().size(), 1u);
  EXPECT_EQ(std::tuple(r.f().input.clk, r.f().input.sft), std::tuple(0, 0));
  EXPECT_THAT(r.views.log, ElementsAre("press", "key up"));  // the box is modal
  const uint64_t ticks = r.f().ticks;
  r.g.Ticks(3);
  EXPECT_EQ(r.f().ticks, ticks + 3) << "a panel's box lets the game go on";
  r.Press(Key::Escape);  // Cancel: the game goes on
  EXPECT_EQ(std::pair(r.s().boxes().size(), r.g.game->ended()), std::pair(std::size_t{0}, false));
  // The music that cannot be found: a box from inside a tick, whose rest has run.
  r.p().ConfigPanel.visible = false;
  r.Click({5, 5});
  r.g.Ticks(2);  // the click ends the wait; the next tick runs on
  ASSERT_EQ(r.s().boxes().size(), 1u);
  EXPECT_EQ(r.s().boxes().Top()->kind(), MessageKind::Failure);
  const uint64_t held = r.f().ticks;
  r.g.Ticks(5);
  EXPECT_EQ(r.f().ticks, held) << "no tick while it is open";
  r.Press(Key::Enter);
  r.g.Ticks(1);
  EXPECT_EQ(std::tuple(r.s().boxes().size(), r.f().ticks, r.f().scn.work[1]),
            std::tuple(std::size_t{0}, held + 1, int16_t{2}));
}

// A fault that ends the game (a flag out of range): its box holds the ticks, the rest of the tick
// is abandoned quietly, and the game ends only once the player has read why.
TEST(Boxes, AFaultThatEndsTheGameWaitsForItsBoxThenQuits) {
  SessionRig r(Code().b(0).w(1).w(1).b(4).w(4096).w(1).b(0).w(1).w(2).b(22).bytes);
  r.g.game->dialogs().HoldBoxes(true);
  r.g.Start();
  r.g.Ticks(3);
  ASSERT_EQ(r.s().boxes().size(), 1u);
  EXPECT_EQ(std::tuple(r.s().boxes().Top()->text(), r.s().boxes().Top()->kind()),
            std::tuple(S("範囲外のフラグ指定"), MessageKind::Error));
  EXPECT_EQ(std::tuple(r.f().scn.work[1], r.f().quit, r.g.game->ended()),
            std::tuple(int16_t{1}, false, false));
  const uint64_t ticks = r.f().ticks;
  r.g.Ticks(5);
  EXPECT_EQ(r.f().ticks, ticks) << "no tick while it is open";
  EXPECT_THROW(r.s().Key(Down(Key::Enter)), QuitSignal);
  EXPECT_EQ(std::pair(r.f().quit, r.f().scn.work[1]), std::pair(true, int16_t{1}));
}

// A start-up that cannot go on says why on the terminal's line at once, and its box waits: the
// program ends when it is answered.
TEST(Boxes, AFailedStartUpSaysWhyThenWaitsForItsBox) {
  for (const bool no_data_folder : {true, false}) {
    SCOPED_TRACE(no_data_folder ? "no data folder" : "no message frame");
    SessionRig r;
    if (no_data_folder) {
      main::HeadlessOptions options;
      options.start.ini_file = "ETC/NONE.INI";
      r.g.game = std::make_unique<main::HeadlessGame>(r.g.files, options);
    } else {
      r.g.files.Remove(std::string(kDat) + "CG/WK00.BMP");
    }
    r.g.game->dialogs().HoldBoxes(true);
    EXPECT_EQ(r.s().StartGame(), std::optional<int>(1));
    EXPECT_FALSE(r.g.form().startup_failure().empty());
    ASSERT_EQ(r.s().boxes().size(), 1u);
    EXPECT_FALSE(r.f().quit);
    if (no_data_folder) {
      r.s().Key(Down(Key::Enter));  // nothing follows: the front end ends the program
      EXPECT_TRUE(r.s().boxes().empty());
    } else {
      EXPECT_THROW(r.s().Key(Down(Key::Enter)), QuitSignal);
      EXPECT_TRUE(r.f().quit);
    }
  }
}

TEST(Boxes, KeysTheCloseRequestAndAnswersGivenAtOnceAnswerTheTopBox) {
  using Row = std::tuple<Key, Buttons, Answer>;  // Key::Other: a close request
  for (auto [key, buttons, answer] :
       {Row{Key::Enter, Buttons::OkCancel, Answer::Ok}, Row{Key::Escape, Buttons::OkCancel, Answer::Cancel},
        Row{Key::Other, Buttons::OkCancel, Answer::Cancel}, Row{Key::Other, Buttons::Ok, Answer::Ok}}) {
    SessionRig r;
    r.g.game->dialogs().HoldBoxes(true);
    r.g.Start();
    std::vector<Answer> answers;
    r.s().boxes().ShowMessageBox("outer", MessageKind::Confirmation, Buttons::OkCancel,
                                 [&](Answer a) { answers.push_back(a); });
    r.s().boxes().ShowMessageBox("inner", MessageKind::Confirmation, buttons,
                                 [&](Answer a) { answers.push_back(a); });
    if (key == Key::Other) r.s().Window(WindowEvent::CloseRequested);
    else r.Press(key);
    EXPECT_EQ(answers, std::vector<Answer>{answer});
    EXPECT_EQ(r.s().boxes().Top()->text(), "outer");
  }
  // A front end that answers at once: what follows runs before the box's caller goes on.
  SessionRig r;
  std::vector<std::string> order;
  r.s().boxes().ShowMessageBox("now", MessageKind::Information, Buttons::Ok,
                               [&](Answer) { order.push_back("answer"); });
  order.push_back("after");
  EXPECT_THAT(order, ElementsAre("answer", "after"));
}

TEST(Boxes, AFailureInAPanelsHandlerIsShownAndTheGameGoesOn) {
  SessionRig r;
  r.g.Start();
  r.g.Ticks(1);
  r.Show(r.p().ConfigPanel);
  r.p().ExitButton.OnClick = [] { throw GameError("CG/WALL00.BMP: no such file"); };
  r.p().ConfigPanel.SetFocus(&r.p().ExitButton);
  r.Press(Key::Enter);
  ASSERT_EQ(r.g.game->dialogs().Boxes().size(), 1u);
  EXPECT_EQ(r.g.game->dialogs().Boxes()[0].text, "CG/WALL00.BMP: no such file");
  EXPECT_FALSE(r.g.game->ended());
}

TEST(WindowKeys, FullScreenAndResizingTellTheGameWhateverHasTheKeyboard) {
  SessionRig r;
  FakeWindow window(r.g.game->window());
  r.s().SetWindowControls(&window);
  r.g.Start();
  r.g.Ticks(1);
  auto disp = [&] { return r.f().scaling.Disp.rect(); };
  const Rect before = disp();
  r.Show(r.p().ConfigPanel);
  int pressed = 0;
  r.p().ExitButton.OnClick = [&] { ++pressed; };
  r.p().ConfigPanel.SetFocus(&r.p().ExitButton);
  r.Press(Key::F11);
  EXPECT_EQ(std::pair(window.full, disp().left), std::pair(true, before.left + 128));
  r.s().Key(Down(Key::Alt, {.alt = true}));
  r.Press(Key::Enter, {.alt = true});  // Alt+Enter: not the focused button's Enter
  r.s().Key(Up(Key::Alt));
  EXPECT_EQ(std::tuple(window.full, disp(), pressed), std::tuple(false, before, 0));
  r.g.game->window().Resize({800, 600});
  r.s().Window(WindowEvent::Resized);
  EXPECT_EQ(disp().left, 80);
}

// F12 and F1 are the window's: the game hears neither going down nor up (a Ctrl it sees held stays
// held); F9 only where the debugger may be used.
TEST(WindowKeys, TheWindowsOwnKeysAreHeardByNobodyElse) {
  SessionRig r;
  FakeWindow window(r.g.game->window());
  r.s().SetWindowControls(&window);
  r.g.Start();
  r.g.Ticks(1);
  r.s().Key(Down(Key::Ctrl, {.ctrl = true}));
  r.Press(Key::F12, {.ctrl = true});
  EXPECT_EQ(std::tuple(r.s().ScreenshotDue(), window.captures, r.f().input.sft),
            std::tuple(true, 1, 2));
  r.s().ScreenshotSaved("Screenshot saved: x.png");
  EXPECT_EQ(std::pair(r.s().ScreenshotDue(), r.s().notice().text()),
            std::pair(false, std::string("Screenshot saved: x.png")));
#ifdef NDEBUG
  r.Press(Key::F9);  // no debugger yet: a key like any other
  EXPECT_EQ(std::pair(r.s().DebuggerShown(), r.f().input.sft), std::pair(false, 0));
#endif
  r.s().EnableDebugger();
  r.Press(Key::F9);
  EXPECT_TRUE(r.s().DebuggerShown());
}

TEST(ReaderSettingsWindow, F1OpensItModalEscapeClosesItAndTheSettingsAreKept) {
  SessionRig r;
  app::ReaderSettingsFile file(r.g.files, "CONF/velmor/settings.ini");
  r.s().SetReaderSettingsFile(&file);
  std::vector<std::string> told;
  r.s().tell = [&](const std::string& line) { told.push_back(line); };
  r.g.Start();
  r.g.Ticks(1);
  r.Press(Key::F1);
  session::ReaderSettingsWindow& w = r.s().reader_settings_window();
  ASSERT_TRUE(w.open);
  EXPECT_EQ(w.settings.music_volume, r.g.form().reader_settings().music_volume);
  r.f().input.sft = 5;
  r.views.log.clear();
  r.Click({10, 10});
  r.Press(Key::PageUp);
  r.s().Wheel({1, false, {10, 10}});
  // Modal: the game hears only the release of a key, so that nothing stays held.
  EXPECT_EQ(std::tuple(r.f().input.clk, r.f().input.sft, r.f().backlog_window.open()),
            std::tuple(0, 0, false));
  EXPECT_THAT(r.views.log, ElementsAre("press", "release", "key down", "key up", "wheel"));
  w.settings.music_volume = 40;  // as the view edits it
  r.s().TakeViewOutcome({{}, true, false, {}, {}, {}});
  EXPECT_EQ(r.g.form().reader_settings().music_volume, 40);
  EXPECT_EQ(r.g.files.Get("CONF/velmor/settings.ini"), nullptr) << "kept only when finished";
  r.Press(Key::Escape);
  EXPECT_FALSE(w.open);
  EXPECT_NE(r.g.files.Get("CONF/velmor/settings.ini"), nullptr);
  // A file that cannot be kept is said in the corner and on the terminal.
  r.g.files.MakeReadOnly("CONF/");
  r.Press(Key::F1);
  r.Press(Key::F1);
  EXPECT_EQ(told.size(), 1u);
  EXPECT_THAT(r.s().notice().text(), ::testing::StartsWith("The settings could not be kept: "));
}

// Where the player leaves the debugger's window is kept with the reader's settings (an open
// settings window keeps it too), so that it opens there again.
// Its Load... button closes it and opens the load screen of our own saves,
// as F3 would; the screen then has the keys.
TEST(ReaderSettingsWindow, ItsLoadButtonOpensTheLoadScreen) {
  SessionRig r;
  r.g.Start();
  r.g.Ticks(1);
  r.Press(Key::F1);
  ASSERT_TRUE(r.s().reader_settings_window().open);
  r.s().reader_settings_window().open = false;  // as the view closes it
  r.s().TakeViewOutcome({{}, false, true, {}, {}, false});
  ASSERT_TRUE(r.g.form().save_screen_view().open());
  EXPECT_EQ(r.g.form().save_screen_view().mode(), app::SaveScreen::Mode::Load);
  r.Press(Key::Escape);
  EXPECT_FALSE(r.g.form().save_screen_view().open());
}

TEST(ReaderSettingsWindow, TheDebuggersPlaceIsKeptWithTheSettings) {
  SessionRig r;
  app::ReaderSettingsFile settings(r.g.files, "CONF/velmor/settings.ini");
  r.s().SetReaderSettingsFile(&settings);
  r.g.Start();
  const Rect place = Rect::FromSize(10, 20, 300, 400);
  r.Press(Key::F1);
  r.s().TakeViewOutcome({{}, false, false, {}, place, {}});
  EXPECT_EQ(r.g.form().reader_settings().debugger_window, place);
  const std::vector<uint8_t>* file = r.g.files.Get("CONF/velmor/settings.ini");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(app::ParseReaderSettings(std::string(file->begin(), file->end())).settings.debugger_window,
            place);
  r.Press(Key::Escape);  // the settings window closes with what it holds
  EXPECT_EQ(r.g.form().reader_settings().debugger_window, place);
}

TEST(Time, AtAClickWaitTheFrontEndRestsAndWhileTypingItKeepsTheTicks) {
  SessionRig r(Assembled("TEXT \"あいうえおかきくけこ\"\nCLICK\n"));
  r.g.Start();
  EXPECT_LE(r.s().WaitMs(1000), Session::kIdleWaitMs);
  r.g.Ticks(1);
  ASSERT_EQ(r.f().scn.MainProc, scenario::WaitHandler::TypeText);
  r.s().Advance(1000);  // the schedule starts
  EXPECT_LE(r.s().WaitMs(1000), 20u);
  r.g.Ticks(200);
  ASSERT_EQ(r.f().scn.MainProc, scenario::WaitHandler::WaitClick);
  r.s().TakeRedraw();
  EXPECT_EQ(r.s().WaitMs(1000), Session::kRestMs);
  r.s().SetLongestRest(1000);  // a front end that wakes for every event
  EXPECT_EQ(r.s().WaitMs(1000), 1000u);
  r.Show(r.p().ConfigPanel);  // an open panel still wants its frames now and then
  EXPECT_EQ(r.s().WaitMs(1000), Session::kIdleUiFrameMs);
  r.s().ShowNotice("saved");  // and a notice goes on time
  r.s().TakeRedraw();
  EXPECT_EQ(r.s().WaitMs(1000 + session::Notice::kShownMs - 30), 30u);
}

TEST(Keys, EveryKeyMeansOneThingToTheWindowThePanelsAndTheGame) {
  using C = menus::ControlKey;
  using W = session::WindowCommand;
  using R = ReaderKey;
  const Modifiers none, alt{.alt = true}, shift{.shift = true}, alt_ctrl{.ctrl = true, .alt = true};
  struct Row {
    Key key;
    Modifiers held;
    std::optional<W> window;
    std::optional<C> control;
    std::optional<R> reader;
    bool repeats;
  };
  const Row rows[] = {
      {Key::Enter, none, {}, C::Enter, R::Enter, false},
      {Key::KeypadEnter, alt, W::ToggleFullScreen, C::Enter, R::Enter, false},
      {Key::Enter, alt_ctrl, {}, C::Enter, R::Enter, false},
      {Key::Tab, shift, {}, C::ShiftTab, R::SkipRead, false},
      {Key::Escape, none, {}, C::Escape, R::Escape, false},
      {Key::Up, none, {}, C::Up, R::Up, true},
      {Key::PageDown, none, {}, {}, R::PageDown, true},
      // Left moves among a panel's radio buttons while one is open, and
      // goes back a page otherwise; Backspace is a name field's while it
      // has the focus.
      {Key::Left, none, {}, C::Left, R::Back, true},
      {Key::Backspace, none, {}, {}, R::Back, true},
      {Key::Right, none, {}, C::Right, R::Forward, true},
      {Key::F2, none, {}, {}, R::SaveScreen, false},
      {Key::F3, none, {}, {}, R::LoadScreen, false},
      {Key::F6, none, {}, {}, R::QuickSave, false},
      {Key::F7, none, {}, {}, R::QuickLoad, false},
      {Key::Digit1, none, {}, {}, R::Row1, false},
      {Key::Digit7, none, {}, {}, R::Row7, false},
      {Key::Digit8, none, {}, {}, {}, false},
      {Key::Digit0, none, {}, {}, {}, false},
      {Key::A, none, {}, {}, R::Auto, false},
      {Key::F1, none, W::ReaderSettings, {}, {}, false},
      {Key::F5, none, W::Reload, {}, {}, false},
      {Key::F9, none, W::ToggleDebugger, {}, {}, false},
      {Key::F10, none, {}, {}, {}, false},
      {Key::F11, none, W::ToggleFullScreen, {}, {}, false},
      {Key::F12, shift, W::Screenshot, {}, {}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.key));
    EXPECT_EQ(session::WindowCommandOf(row.key, row.held), row.window);
    EXPECT_EQ(session::ControlKeyOf(row.key, row.held), row.control);
    EXPECT_EQ(session::ReaderKeyOf(row.key), row.reader);
    EXPECT_EQ(row.reader && session::ReaderKeyRepeats(*row.reader), row.repeats);
  }
  // A "natural" scrolling setting turns the wheel round; sideways is no turn.
  EXPECT_EQ((WheelEvent{-3, false, {}}.turn()), WheelTurn::Down);
  EXPECT_EQ((WheelEvent{1, true, {}}.turn()), WheelTurn::Down);
  EXPECT_EQ((WheelEvent{-1, true, {}}.turn()), WheelTurn::Up);
  EXPECT_EQ((WheelEvent{0, false, {}}.turn()), std::nullopt);
}

}  // namespace
}  // namespace velmor::testing
