// The real front end's loop on SDL's dummy driver: where input goes, the
// panels, boxes, signals, screenshots and frames; then SDL's keys as the
// game takes them (rows the loop's tests do not reach), and the time of day.
#include "platform/sdl/front_end.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/errors.h"
#include "menus/panel_layout.h"
#include "platform/sdl/input_mapping.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/shared/png.h"
#include "sdl_rig.h"

namespace velmor::platform::sdl {
namespace {

using menus::WindowRect;
using testing::Reader;
using testing::S;
using testing::SdlRig;

class FrontEndTest : public ::testing::Test {
 protected:
  FrontEndTest() { rig.front->Start(); }
  void OpenConfigPanel() { rig.Show(p.ConfigPanel, {100, 100}); }  // drawn once
  SdlRig rig;
  menus::Panels& p = rig.game.panels;
};

TEST(FrontEnd, ClicksKeysAndCloseRequestsReachTheGameOnlyOnceItStarted) {
  SdlRig rig;
  auto events = [&] {  // an extra button is "no button": it clears the click
    for (uint8_t b : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1})
      rig.Click({30 * b, 20}, 0, b);
    rig.Press(SDLK_LCTRL, 0, KMOD_LCTRL);
    rig.Quit();
    rig.Passes(2);
  };
  events();
  EXPECT_EQ(rig.game.Joined(), "");
  EXPECT_EQ(rig.game.ticks, 0);
  rig.front->Start();
  events();
  EXPECT_EQ(rig.game.Joined(), "MouseDown Left, MouseUp, MouseDown Right, MouseUp, "
                               "MouseDown Middle, MouseUp, MouseDown Other, MouseUp, "
                               "KeyDown 2, KeyUp, CloseQuery");
}

TEST_F(FrontEndTest, APanelsControlsTakeTheirOwnClicks) {
  OpenConfigPanel();
  std::vector<std::string> clicked;
  for (Control* c : std::initializer_list<Control*>{&p.ExitButton, &p.WaveBtn, &p.MidiBtn,
                                                    &p.MidiBtn2, &p.MuteBtn, &p.SoundGroupBox})
    c->OnClick = [&clicked, c] { clicked.push_back(c->name); };
  p.MidiBtn2.enabled = false;
  const Rect g = WindowRect(p.SoundGroupBox);
  for (Point at : {SdlRig::Centre(p.ExitButton), SdlRig::Centre(p.MidiBtn),
                   SdlRig::Centre(p.MidiBtn2) /* disabled */, Point{g.left + 5, g.bottom - 4}})
    rig.Click(at, 3);
  EXPECT_EQ(clicked, (std::vector<std::string>{"ExitButton", "MidiBtn", "SoundGroupBox"}));
  EXPECT_TRUE(p.MidiBtn.checked && !p.WaveBtn.checked);
  rig.Click({5, 5}, 2);  // outside the panel the game hears it
  EXPECT_EQ(rig.game.Joined(), "MouseDown Left, MouseUp");
  // A spin control's arrows step by its increment (the upper one lowers the
  // speed value); a double click on the number resets it, taking no input.
  p.SpeedSpin.SetValue(64);
  std::vector<int> seen;
  p.SpeedSpin.OnChange = [&] { seen.push_back(p.SpeedSpin.value); };
  p.SpeedSpin.OnDblClick = [&] { seen.push_back(-1); };
  const Rect r = WindowRect(p.SpeedSpin);
  rig.Click({r.right - 8, r.top + 5}, 3);
  rig.Click({r.right - 8, r.bottom - 5}, 3);
  for (int passes : {2, 3}) rig.Click({r.left + 10, r.top + 12}, passes);
  EXPECT_EQ(seen, (std::vector<int>{48, 64, -1}));
  EXPECT_EQ(p.SpeedSpin.value, 64);
}

TEST_F(FrontEndTest, KeysAndTheWheelStandInForTheMouseOnlyWithoutAPanel) {
  rig.Press(SDLK_RETURN);
  rig.Press(SDLK_3);
  for (SDL_Keycode held : {SDLK_DOWN, SDLK_SPACE}) {  // an arrow repeats, Space clicks once
    rig.Key(held, true);
    rig.Key(held, true, KMOD_NONE, true);
    rig.Key(held, false);
  }
  rig.Wheel(-1);
  rig.Wheel(1);
  rig.Passes(2);
  std::vector<int> counts;  // heard as keys as well
  for (const std::string& line : {Reader(ReaderKey::Enter), Reader(ReaderKey::Row3),
                                  Reader(ReaderKey::Down), Reader(ReaderKey::Space),
                                  std::string("MouseWheel Down"), std::string("MouseWheel Up"),
                                  std::string("KeyDown 0")})
    counts.push_back(rig.Count(line));
  EXPECT_EQ(counts, (std::vector<int>{1, 1, 2, 1, 1, 1, 6}));
  rig.game.log.clear();
  OpenConfigPanel();  // now the keys and the wheel are the panel's: the game hears only keys
  rig.Press(SDLK_ESCAPE);
  rig.Press(SDLK_1);
  rig.Wheel(-1);
  rig.Passes(2);
  EXPECT_EQ(rig.game.Joined(), "KeyDown 0, KeyUp, KeyDown 0, KeyUp");
}

// The same caption in six rows shows the same ink: the frame cuts none of them.
TEST_F(FrontEndTest, TheSaveListShowsItsSixRowsWholeAndTakesClicks) {
  p.SaveList.rows.assign(6, S("　７月１２日『　太郎と　花子のVelmor』 '26/12/07 18:18:18"));
  rig.Show(p.SavePanel, {50, 50}, &p.SaveButton, 3);  // no dotted focus frame on the list
  const Rect r = WindowRect(p.SaveList);
  Size size;
  const std::vector<uint32_t> pixels = rig.window.ReadPixels(size);
  std::vector<int> ink(6, 0);
  for (int y = r.top + 2; y < r.top + 2 + 6 * 15; ++y)
    for (int x = r.left + 2; x < r.right - 2; ++x)
      ink[(y - r.top - 2) / 15] += pixels[static_cast<std::size_t>(y) * size.width + x] == 0;
  EXPECT_GT(ink[0], 100);
  EXPECT_EQ(ink, std::vector<int>(6, ink[0]));
  int opened = 0;
  p.SaveList.OnDblClick = [&] { ++opened; };
  const Point row3{r.left + 40, r.top + 2 + 3 * 15 + 7};
  rig.Click(row3, 3);
  EXPECT_EQ(std::pair(p.SaveList.selected, opened), std::pair(3, 0));
  rig.Click(row3, 3);
  rig.Press(SDLK_DOWN, 1);
  EXPECT_EQ(std::pair(p.SaveList.selected, opened), std::pair(4, 1));
}

// A box opened outside a tick lets the ticks go on but no input through; one
// raised by a tick holds the ticks until it is answered.
TEST_F(FrontEndTest, ABoxKeepsTheInputAndHoldsOnlyTheTickThatRaisedIt) {
  OpenConfigPanel();
  p.ExitButton.OnClick = [&] { rig.game.log.push_back("OK"); };
  rig.game.passes = 0;
  rig.game.on_pass = [&] {
    if (rig.game.passes == 1) {
      rig.Click(SdlRig::Centre(p.ExitButton));
      rig.Click({5, 5});
      rig.Press(SDLK_LCTRL, 0, KMOD_LCTRL);
    }
    if (rig.game.ticks == 5) rig.Press(SDLK_ESCAPE);
  };
  MessageBoxModel box("text", MessageKind::Confirmation, Buttons::OkCancel);
  EXPECT_EQ(rig.front->RunMessageBox(box), Answer::Cancel);
  EXPECT_GE(rig.game.ticks, 5);
  EXPECT_EQ(rig.game.Joined(), "");  // neither the panel nor the game heard the input
  rig.game.on_pass = nullptr;
  const int first = rig.game.ticks + 1;
  rig.game.on_tick = [&] {
    if (rig.game.ticks != first) return;
    int passes = 0;
    rig.game.on_pass = [&] {
      if (++passes == 4) rig.Press(SDLK_RETURN);
    };
    EXPECT_EQ(rig.dialogs->ShowMessageBox(S("範囲外のフラグ指定"), MessageKind::Error, Buttons::Ok),
              Answer::Ok);
    rig.game.on_pass = nullptr;
  };
  while (rig.game.ticks < first + 2) rig.front->Pass();
  EXPECT_EQ(rig.game.deepest_tick, 1);  // no tick while the box was open
}

// (Which key gives which answer is the menus suite's MessageBox test.)
TEST_F(FrontEndTest, BoxKeysAndTheCloseRequestAnswerTheBox) {
  using Row = std::tuple<SDL_Keycode, Buttons, Answer>;  // key 0: a close request
  for (auto [key, buttons, answer] : {Row{SDLK_RETURN, Buttons::OkCancel, Answer::Ok},
                                      Row{SDLK_ESCAPE, Buttons::OkCancel, Answer::Cancel},
                                      Row{0, Buttons::OkCancel, Answer::Cancel},
                                      Row{0, Buttons::Ok, Answer::Ok}}) {
    if (key == 0) rig.Quit();
    else rig.Press(key);
    MessageBoxModel box("text", MessageKind::Confirmation, buttons);
    EXPECT_EQ(rig.front->RunMessageBox(box), answer) << "key " << key;
  }
  EXPECT_EQ(rig.Count("CloseQuery"), 0) << "the box took the close request";
}

TEST_F(FrontEndTest, ASignalEndsTheGameEvenFromABoxAndAGameErrorIsReported) {
  InstallQuitSignals();
  std::raise(SIGTERM);
  EXPECT_THROW(rig.front->Pass(), QuitSignal);
  ClearQuitSignal();
  rig.game.on_pass = [] { std::raise(SIGINT); };
  MessageBoxModel box("text", MessageKind::Confirmation, Buttons::OkCancel);
  EXPECT_THROW(rig.front->RunMessageBox(box), QuitSignal);
  ClearQuitSignal();
  rig.game.on_pass = nullptr;
  OpenConfigPanel();
  p.ExitButton.OnClick = [] { throw GameError("CG/WALL00.BMP: no such file"); };
  rig.Press(SDLK_RETURN, 2);
  EXPECT_EQ(rig.game.Joined(),
            "QuitNow, QuitNow, KeyDown 0, KeyUp, ReportError CG/WALL00.BMP: no such file");
}

TEST_F(FrontEndTest, AResizedWindowAndF11OrAltEnterTellTheGameEvenOverAPanel) {
  auto screen = [&] { return std::pair(rig.window.FullScreen(), rig.window.ScreenSize()); };
  SDL_SetWindowSize(rig.window.sdl_window(), 800, 600);  // smaller than the display
  rig.Passes(1);
  EXPECT_EQ(rig.game.Joined(), "DisplayResized");
  EXPECT_EQ(screen(), std::pair(false, Size{800, 600}));
  OpenConfigPanel();
  p.ExitButton.OnClick = [&] { rig.game.log.push_back("OK"); };  // the focused button
  SDL_Rect display;
  ASSERT_EQ(SDL_GetDisplayBounds(0, &display), 0);
  rig.Press(SDLK_F11, 2);
  EXPECT_EQ(screen(), std::pair(true, Size{display.w, display.h}));
  rig.Key(SDLK_LALT, true, KMOD_LALT);
  rig.Press(SDLK_RETURN, 0, KMOD_LALT);
  rig.Key(SDLK_LALT, false);
  rig.Passes(2);
  EXPECT_EQ(screen(), std::pair(false, Size{800, 600}));
  EXPECT_EQ(rig.Count("DisplayResized"), 3);
  EXPECT_EQ(rig.Count("OK"), 0);  // Enter with Alt did not press the panel's OK
}

// F12, with the pictures folder one of the test's own: the picture, and a
// second time with the panel over it, in another file; the notice says so.
TEST_F(FrontEndTest, F12WritesThePictureWithThePanelsAndSaysSoInTheCorner) {
  const auto folder = std::filesystem::path(VELMOR_BUILD_DIR) / "sdl_screenshot_test";
  std::filesystem::remove_all(folder);
  setenv("XDG_PICTURES_DIR", folder.c_str(), 1);
  rig.window.StretchOnWindow(rig.game.picture, Rect::FromSize(192, 144, 640, 480));
  rig.Passes(1);
  auto shot = [&] {  // the bytes of the file the notice names
    const std::string notice = rig.front->notice().text();
    EXPECT_EQ(notice.rfind("Screenshot saved: ", 0), 0u) << notice;
    std::ifstream in(folder / "velmor" / notice.substr(notice.find(": ") + 2), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  };
  const uint32_t before = rig.Pixel({-12, -12});
  rig.Press(SDLK_F12, 2);
  EXPECT_NE(rig.Pixel({-12, -12}), before);  // the notice is drawn there
  EXPECT_EQ(shot(), EncodePng(rig.game.picture));
  EXPECT_EQ(rig.Count("KeyDown 0"), 0);  // the game did not hear it
  OpenConfigPanel();  // at (100, 100): over the picture's top-left part
  rig.Press(SDLK_F12, 2);
  const std::vector<uint8_t> with_panel = shot();
  EXPECT_GT(with_panel.size(), 1000u);
  EXPECT_NE(with_panel, EncodePng(rig.game.picture));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "velmor"), {}), 2);
}

TEST_F(FrontEndTest, TheReadingModeShowsInTheUpperCornerAndANoticeGoesOnTime) {
  rig.Passes(1);
  const uint32_t bare = rig.Pixel({-12, 12});
  for (std::string mode : {"Auto", ""}) {
    rig.game.reader_indicator = mode;
    rig.Passes(1);
    EXPECT_EQ(rig.front->mode_indicator().text(), mode);
    EXPECT_EQ(rig.Pixel({-12, 12}) == bare, mode.empty()) << mode;
  }
  NoticeView notice(*rig.ui);
  notice.Show("first", 1000);
  EXPECT_EQ(notice.MsLeft(2500), 500u);
  notice.Show("second", 2000);  // a new one starts its own time
  EXPECT_FALSE(notice.Expire(3999));
  EXPECT_TRUE(notice.Expire(4000));
  EXPECT_FALSE(notice.Shown());
}

TEST_F(FrontEndTest, F1OpensTheReaderSettingsWhichKeepTheInputFromTheGame) {
  const ReaderSettingsView& view = rig.front->reader_settings_view();
  rig.game.reader_settings.music_volume = 35;
  rig.Press(SDLK_F1, 2);
  ASSERT_TRUE(view.open());
  EXPECT_EQ(view.settings().music_volume, 35);
  rig.game.log.clear();
  rig.Click({10, 10});
  rig.Press(SDLK_RETURN);
  rig.Press(SDLK_PAGEUP);
  rig.Wheel(1);
  rig.Passes(2);
  // Modal: the game hears only releases, so that nothing stays held.
  EXPECT_EQ(rig.game.Joined(), "MouseUp, KeyUp, KeyUp");
  // Escape closes it and the settings are kept; F1 opens and closes it too.
  rig.Press(SDLK_ESCAPE, 2);
  EXPECT_FALSE(view.open());
  rig.game.settings_problem = "The settings could not be kept: disk full";
  rig.Press(SDLK_F1, 1);
  rig.Press(SDLK_F1, 1);
  EXPECT_FALSE(view.open());
  EXPECT_EQ(rig.Count("ReaderSettings kept"), 2);
  EXPECT_EQ(rig.front->notice().text(), "The settings could not be kept: disk full");
  rig.game.log.clear();
  rig.Press(SDLK_PAGEUP, 1);
  EXPECT_EQ(rig.Count(Reader(ReaderKey::PageUp)), 1);
}

TEST_F(FrontEndTest, AnIdleLoopSleepsUntilTheNextTick) {
  rig.Passes(1);
  const int first = rig.game.ticks;
  int passes = 0;
  for (; rig.game.ticks < first + 10; ++passes) rig.front->Pass();
  EXPECT_LE(passes, 12);  // one pass a tick (a spinning loop would make hundreds)
  EXPECT_EQ(rig.front->Ticks(), static_cast<uint64_t>(rig.game.ticks));
}

// Not for the same picture again, nor for an open panel without input.
TEST_F(FrontEndTest, FramesAreDrawnOnlyForChanges) {
  Bitmap picture(640, 480, 0x123456);
  rig.game.on_tick = [&] {
    rig.window.StretchOnWindow(picture, Rect::FromSize(192, 144, 640, 480));
  };
  auto until = [&](int ticks) {
    while (rig.game.ticks < ticks) rig.front->Pass();
    return rig.window.stats().renders;
  };
  const uint64_t frames = until(2);
  EXPECT_EQ(until(30), frames);
  picture.set(0, 0, 0xFFFFFF);
  EXPECT_EQ(until(31), frames + 1) << "a changed picture is drawn";
  OpenConfigPanel();
  const uint64_t panel = until(rig.game.ticks + 3);
  EXPECT_LE(until(rig.game.ticks + 10), panel + 1);  // 200 ms
  const uint64_t before = rig.window.stats().renders;
  p.MouseSpin.SetValue(4);  // as a slot load does
  rig.Passes(1);
  EXPECT_EQ(rig.window.stats().renders, before + 1);
}

// The game's texts from the start, other characters from the next frame on.
TEST(ImGuiFonts, CharactersAreAddedToTheAtlasWhenFirstNeeded) {
  SdlRig rig;
  ImGuiLayer& ui = *rig.ui;
  ui.BeginFrame();
  ui.EndFrame();
  EXPECT_TRUE(ui.Need(UiFont::Box, "本当に終了するよ？"));
  EXPECT_FALSE(ui.Need(UiFont::List, "鬱金"));
  EXPECT_TRUE(ui.AtlasOutdated());
  ui.BeginFrame();
  ui.EndFrame();
  EXPECT_TRUE(ui.Need(UiFont::List, "鬱金"));
  EXPECT_FALSE(ui.Need(UiFont::Panel, "鬱"));
}

TEST(InputMapping, ModifiersGiveTheGamesCode) {
  // The lock keys, the system key and AltGr are no modifiers of the game's.
  const std::pair<int, int32_t> cases[] = {
      {KMOD_RSHIFT, 1}, {KMOD_RCTRL, 2}, {KMOD_LSHIFT | KMOD_RCTRL, 3}, {KMOD_RALT, 4},
      {KMOD_RSHIFT | KMOD_LALT | KMOD_LCTRL, 7}, {KMOD_LCTRL | KMOD_CAPS | KMOD_NUM, 2},
      {KMOD_LGUI, 0}, {KMOD_MODE, 0}};
  for (auto [sdl_mod, code] : cases)
    EXPECT_EQ(ModifierCode(ModifiersFromSdl(static_cast<uint16_t>(sdl_mod))), code) << sdl_mod;
}

TEST(InputMapping, KeysThatStandInForTheMouseAndWhichOfThemRepeat) {
  using R = ReaderKey;
  const std::tuple<SDL_Keycode, std::optional<ReaderKey>, bool> cases[] = {
      {SDLK_KP_ENTER, R::Enter, false}, {SDLK_ESCAPE, R::Escape, false}, {SDLK_UP, R::Up, true},
      {SDLK_PAGEUP, R::PageUp, true}, {SDLK_PAGEDOWN, R::PageDown, true}, {SDLK_1, R::Row1, false},
      {SDLK_7, R::Row7, false}, {SDLK_KP_4, R::Row4, false}, {SDLK_TAB, R::SkipRead, false},
      {SDLK_a, R::Auto, false}, {SDLK_0, {}, false}, {SDLK_8, {}, false}, {SDLK_KP_8, {}, false},
      {SDLK_KP_0, {}, false}, {SDLK_LEFT, {}, false}, {SDLK_b, {}, false}};
  for (auto [key, reader, repeats] : cases) {
    EXPECT_EQ(ReaderKeyFromSdl(key), reader) << SDL_GetKeyName(key);
    EXPECT_EQ(reader && ReaderKeyRepeats(*reader), repeats) << SDL_GetKeyName(key);
  }
}

TEST(InputMapping, ThePanelsKeysAndTheWindowsCommands) {
  using C = menus::ControlKey;
  using W = WindowCommand;
  const std::tuple<SDL_Keycode, uint16_t, std::optional<C>, std::optional<W>> cases[] = {
      {SDLK_TAB, KMOD_LCTRL, C::Tab, {}}, {SDLK_TAB, KMOD_RSHIFT | KMOD_NUM, C::ShiftTab, {}},
      {SDLK_KP_ENTER, KMOD_NONE, C::Enter, {}}, {SDLK_SPACE, KMOD_LSHIFT, C::Space, {}},
      {SDLK_LEFT, KMOD_NONE, C::Left, {}}, {SDLK_RIGHT, KMOD_NONE, C::Right, {}},
      {SDLK_PAGEDOWN, KMOD_NONE, {}, {}}, {SDLK_KP_8, KMOD_NONE, {}, {}},
      {SDLK_KP_ENTER, KMOD_RALT, C::Enter, W::ToggleFullScreen},
      {SDLK_RETURN, KMOD_LALT | KMOD_NUM, C::Enter, W::ToggleFullScreen},
      {SDLK_RETURN, KMOD_LCTRL, C::Enter, {}}, {SDLK_RETURN, KMOD_LALT | KMOD_LCTRL, C::Enter, {}},
      {SDLK_F9, KMOD_NONE, {}, W::ToggleDebugger}, {SDLK_F5, KMOD_NONE, {}, W::Reload},
      {SDLK_F10, KMOD_NONE, {}, {}}};
  for (auto [key, mod, control, command] : cases) {
    SCOPED_TRACE(std::string(SDL_GetKeyName(key)) + " " + std::to_string(mod));
    EXPECT_EQ(ControlKeyFromSdl(key, mod), control);
    EXPECT_EQ(WindowCommandFromSdl(key, mod), command);
  }
  // A "natural" scrolling setting turns the wheel round; sideways is no turn.
  EXPECT_EQ(WheelTurnFromSdl(-3, SDL_MOUSEWHEEL_NORMAL), WheelTurn::Down);
  EXPECT_EQ(WheelTurnFromSdl(1, SDL_MOUSEWHEEL_FLIPPED), WheelTurn::Down);
  EXPECT_EQ(WheelTurnFromSdl(-1, SDL_MOUSEWHEEL_FLIPPED), WheelTurn::Up);
  EXPECT_EQ(WheelTurnFromSdl(0, SDL_MOUSEWHEEL_NORMAL), std::nullopt);
}

TEST(SdlClock, GivesTheUniversalTimeOfDay) {
  const std::time_t before = std::time(nullptr) % 86400;
  const uint32_t ms = SdlClock().UtcTimeOfDayMs();
  const std::time_t after = std::time(nullptr) % 86400;
  EXPECT_LT(ms, 86400u * 1000u);
  const std::time_t s = ms / 1000;
  EXPECT_TRUE(after < before /* across midnight */ || (before <= s && s <= after)) << ms;
}

}  // namespace
}  // namespace velmor::platform::sdl
