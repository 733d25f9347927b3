// The real front end's loop on SDL's dummy driver over a whole game: SDL's
// events reach the game, the panels' controls and the boxes take their own
// clicks, the window's keys, screenshots and corner notices, a signal, how
// the loop sleeps and when it draws. (Who gets which event is the session
// suite's; here it is what the real window makes of it.)
#include "main/sdl_loop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/errors.h"
#include "imgui_internal.h"
#include "menus/panel_layout.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/shared/png.h"
#include "sdl_rig.h"

namespace velmor::main {
namespace {

using menus::WindowRect;
using platform::EncodePng;
using scenario::WaitHandler;
using testing::S;
using testing::SdlRig;

// Where ImGui last placed the first box opened (window pixels).
Rect BoxRect() {
  const ImGuiWindow* w = ImGui::FindWindowByName("###box0");
  if (w == nullptr) return {};
  return Rect::FromSize(static_cast<int>(w->Pos.x), static_cast<int>(w->Pos.y),
                        static_cast<int>(w->Size.x), static_cast<int>(w->Size.y));
}

// The centre of button `i` of the `n` in the box at `box`: a row of 75 x 23
// buttons 6 apart, centred, above the box's bottom margin.
Point BoxButton(const Rect& box, int n, int i) {
  const int row = n * 75 + (n - 1) * 6;
  return {(box.left + box.right - row) / 2 + i * 81 + 37, box.bottom - 38};
}

class LoopTest : public ::testing::Test {
 protected:
  LoopTest() { rig.Start(); }
  void OpenConfigPanel() { rig.Show(p.ConfigPanel, {100, 100}); }  // drawn once
  SdlRig rig;
  menus::Panels& p = rig.panels();
};

// Before start-up it hears nothing; then the picture's clicks, a key in
// place of one, the modifier keys and the close request are the game's.
TEST(Loop, TheGameHearsTheWindowOnlyOnceItStarted) {
  SdlRig rig(testing::ClickCounter());
  auto work1 = [&] { return rig.in().scn.work[1]; };
  auto heard = [&] { return std::tuple(rig.input().drg, rig.input().sft, rig.boxes.size()); };
  rig.Button({300, 300}, true);
  rig.Key(SDLK_LCTRL, true, KMOD_LCTRL);
  rig.Quit();
  rig.Passes(2);
  EXPECT_EQ(heard(), std::tuple(0, 0, std::size_t{0}));
  rig.Button({300, 300}, false);
  rig.Key(SDLK_LCTRL, false);
  rig.Start();
  ASSERT_TRUE(rig.PassUntil([&] { return rig.in().scn.MainProc == WaitHandler::WaitClick; }));
  EXPECT_EQ(work1(), 1);
  rig.Click({300, 300});
  EXPECT_TRUE(rig.PassUntil([&] { return work1() == 2; }));
  rig.Press(SDLK_KP_ENTER);
  EXPECT_TRUE(rig.PassUntil([&] { return work1() == 3; }));
  rig.Button({300, 300}, true);
  rig.Button({300, 300}, true, SDL_BUTTON_X1);  // a side button clears the click
  rig.Key(SDLK_RCTRL, true, KMOD_RCTRL);
  rig.Quit();
  rig.Passes(2);
  EXPECT_EQ(heard(), std::tuple(0, 2, std::size_t{1}));
  EXPECT_EQ(rig.boxes.Top()->text(), S("本当に終了するよ？"));
  EXPECT_EQ(work1(), 3);
}

// SDL's repeats of a held key: Down moves on through the choices, Space
// clicks once; a turn of the wheel towards the player goes on, also when
// the system's "natural" scrolling turned its sign round.
TEST(Loop, AHeldKeyRepeatsWhatMovesNotWhatClicks) {
  SdlRig rig(testing::Assembled(
      "CHOICE work[7], \"あ\", \"い\", \"う\"\nCLICK\nLET work[1], 1\nCLICK\nLET work[1], 2\n"
      "CLICK\n"));
  rig.Start();
  ASSERT_TRUE(rig.PassUntil([&] { return rig.in().scn.MainProc == WaitHandler::ChoiceProc; }));
  rig.Push(SDL_MOUSEMOTION, [](SDL_Event& e) { e.motion.x = 5, e.motion.y = 5; });  // off the rows
  auto row = [&] {
    return rig.in().choices.RowAt(rig.in().scaling.MapPointer(rig.window.CursorPos()).y);
  };
  rig.Passes(1);
  ASSERT_EQ(row(), -1);
  rig.Key(SDLK_DOWN, true);
  rig.Passes(1);
  EXPECT_EQ(row(), 0);
  rig.Key(SDLK_DOWN, true, KMOD_NONE, true);
  rig.Key(SDLK_DOWN, false);
  rig.Passes(1);
  EXPECT_EQ(row(), 1);
  rig.Key(SDLK_SPACE, true);
  ASSERT_TRUE(rig.PassUntil([&] { return rig.in().scn.MainProc == WaitHandler::WaitClick; }));
  EXPECT_EQ(rig.in().scn.work[7], 2) << "the second choice (counted from 1)";
  rig.Key(SDLK_SPACE, true, KMOD_NONE, true);
  rig.Key(SDLK_SPACE, false);
  rig.Passes(4);
  EXPECT_EQ(rig.in().scn.work[1], 0) << "a repeat is no click";
  rig.Push(SDL_MOUSEWHEEL, [](SDL_Event& e) { e.wheel.y = -1; });
  EXPECT_TRUE(rig.PassUntil([&] { return rig.in().scn.work[1] == 1; }));
  rig.Push(SDL_MOUSEWHEEL, [](SDL_Event& e) {
    e.wheel.y = 1;
    e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
  });
  EXPECT_TRUE(rig.PassUntil([&] { return rig.in().scn.work[1] == 2; }));
}

TEST_F(LoopTest, APanelsControlsTakeTheirOwnClicks) {
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
  EXPECT_EQ(rig.input().drg, 0) << "the panel's clicks are not the game's";
  rig.Button({5, 5}, true);  // outside the panel the game hears it
  rig.Passes(2);
  EXPECT_EQ(rig.input().drg, 1);
  rig.Button({5, 5}, false);
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

// The same caption in six rows shows the same ink: the frame cuts none of them.
TEST_F(LoopTest, TheSaveListShowsItsSixRowsWholeAndTakesClicks) {
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

// A box a tick raised (music that cannot be found) is drawn over the
// picture and holds the ticks until a click on its button answers it.
TEST(Loop, ABoxIsDrawnHoldsTheTicksOfItsTickAndItsButtonAnswersIt) {
  SdlRig rig(testing::Assembled("LET work[1], 1\nCLICK\nMUSIC \"NONE\"\nLET work[1], 2\nCLICK\n"));
  rig.Start();
  ASSERT_TRUE(rig.PassUntil([&] { return rig.in().scn.MainProc == WaitHandler::WaitClick; }));
  rig.Click({300, 300});
  ASSERT_TRUE(rig.PassUntil([&] { return !rig.boxes.empty(); }));
  Size size;
  const std::vector<uint32_t> bare = rig.window.ReadPixels(size);  // not drawn yet
  rig.Passes(2);  // measured in one frame, shown in the next
  const Rect box = BoxRect();
  ASSERT_GT(box.width(), 150);  // the text and the button, in the middle
  EXPECT_LT(std::abs((box.left + box.right) / 2 - 512), 2);
  const Point title{box.left + 8, box.top + 8};
  auto bare_at = [&](Point p) { return bare[static_cast<std::size_t>(p.y) * size.width + p.x]; };
  EXPECT_NE(rig.Pixel(title), bare_at(title));
  const uint64_t ticks = rig.loop->Ticks();
  rig.Passes(4);
  EXPECT_EQ(rig.loop->Ticks(), ticks) << "no tick while it is open";
  EXPECT_EQ(rig.in().scn.work[1], 1);
  rig.Click(BoxButton(box, 1, 0), 2);
  EXPECT_TRUE(rig.boxes.empty());
  EXPECT_TRUE(rig.PassUntil([&] { return rig.in().scn.work[1] == 2; }));
  EXPECT_EQ(rig.Pixel(title), bare_at(title)) << "the frame without the box is drawn";
}

// Its Cancel button, Escape and the window's close request (the box's own
// close button) say no; its OK button ends the game.
TEST_F(LoopTest, TheQuitQuestionIsAnsweredByItsButtonsItsKeysAndTheCloseRequest) {
  for (int way = 0; way < 3; ++way) {
    rig.Quit();
    rig.Passes(3);
    ASSERT_EQ(rig.boxes.size(), 1u);
    ASSERT_EQ(rig.boxes.Top()->text(), S("本当に終了するよ？"));
    if (way == 0) rig.Click(BoxButton(BoxRect(), 2, 1), 2);
    if (way == 1) rig.Press(SDLK_ESCAPE, 1);
    if (way == 2) rig.Quit(), rig.Passes(1);
    EXPECT_TRUE(rig.boxes.empty()) << way;
    EXPECT_FALSE(rig.in().quit) << way;
  }
  rig.Quit();
  rig.Passes(3);
  rig.Click(BoxButton(BoxRect(), 2, 0));
  EXPECT_THROW(rig.Passes(3), QuitSignal);
  EXPECT_TRUE(rig.in().quit);
}

TEST(Loop, ASignalEndsTheGameAtOnceEvenUnderABox) {
  for (bool box : {false, true}) {
    SCOPED_TRACE(box ? "under a box" : "at play");
    SdlRig rig;
    rig.Start();
    if (box) {
      rig.Quit();
      rig.Passes(2);
      ASSERT_EQ(rig.boxes.size(), 1u);
    }
    platform::sdl::InstallQuitSignals();
    std::raise(box ? SIGINT : SIGTERM);
    EXPECT_THROW(rig.loop->Pass(), QuitSignal);
    platform::sdl::ClearQuitSignal();
    EXPECT_TRUE(rig.in().quit);
  }
}

TEST_F(LoopTest, AResizedWindowAndF11OrAltEnterPlaceThePictureAgainEvenOverAPanel) {
  auto screen = [&] { return std::pair(rig.window.FullScreen(), rig.window.ScreenSize()); };
  auto disp = [&] { return rig.in().scaling.Disp.rect(); };
  SDL_SetWindowSize(rig.window.sdl_window(), 800, 600);  // smaller than the display
  rig.Passes(1);
  EXPECT_EQ(screen(), std::pair(false, Size{800, 600}));
  EXPECT_EQ(disp(), Rect::FromSize(80, 60, 640, 480));
  OpenConfigPanel();
  int pressed = 0;
  p.ExitButton.OnClick = [&] { ++pressed; };
  p.ConfigPanel.SetFocus(&p.ExitButton);
  SDL_Rect display;
  ASSERT_EQ(SDL_GetDisplayBounds(0, &display), 0);
  rig.Press(SDLK_F11, 2);
  EXPECT_EQ(screen(), std::pair(true, Size{display.w, display.h}));
  EXPECT_EQ(disp(), Rect::FromSize((display.w - 640) / 2, (display.h - 480) / 2, 640, 480));
  rig.Key(SDLK_LALT, true, KMOD_LALT);
  rig.Press(SDLK_RETURN, 0, KMOD_LALT);
  rig.Key(SDLK_LALT, false);
  rig.Passes(2);
  EXPECT_EQ(screen(), std::pair(false, Size{800, 600}));
  EXPECT_EQ(disp(), Rect::FromSize(80, 60, 640, 480));
  EXPECT_EQ(pressed, 0) << "Enter with Alt did not press the panel's focused button";
}

// F12, with the pictures folder one of the test's own: the picture, and a
// second time with the panel over it, in another file; the notice says so.
TEST_F(LoopTest, F12WritesThePictureWithThePanelsAndSaysSoInTheCorner) {
  const auto folder = std::filesystem::path(VELMOR_BUILD_DIR) / "sdl_screenshot_test";
  std::filesystem::remove_all(folder);
  setenv("XDG_PICTURES_DIR", folder.c_str(), 1);
  // A picture of the game's own that the panel will cover in part.
  Bitmap picture(640, 480, 0x336699);
  FillRect(picture, {0, 0, 320, 240}, 0xFFCC00);
  rig.in().layers.BMP = picture;
  rig.in().invalid = true;  // repainted from the back buffer
  rig.Passes(2);
  ASSERT_EQ(rig.game->ScreenPicture(), picture);
  auto shot = [&] {  // the bytes of the file the notice names
    const std::string notice = rig.session->notice().text();
    EXPECT_EQ(notice.rfind("Screenshot saved: ", 0), 0u) << notice;
    std::ifstream in(folder / "velmor" / notice.substr(notice.find(": ") + 2), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  };
  const uint32_t before = rig.Pixel({-12, -12});
  rig.Press(SDLK_F12, 2);
  EXPECT_NE(rig.Pixel({-12, -12}), before);  // the notice is drawn there
  EXPECT_EQ(shot(), EncodePng(picture));
  OpenConfigPanel();  // at (100, 100): over the picture's top-left part
  rig.Press(SDLK_F12, 2);
  const std::vector<uint8_t> with_panel = shot();
  EXPECT_GT(with_panel.size(), 1000u);
  EXPECT_NE(with_panel, EncodePng(picture));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "velmor"), {}), 2);
}

TEST_F(LoopTest, TheReadingModeShowsInTheUpperCornerAndANoticeGoesOnTime) {
  rig.Passes(1);
  const uint32_t bare = rig.Pixel({-12, 12});
  rig.Press(SDLK_a, 2);  // auto mode
  EXPECT_FALSE(rig.session->mode_indicator().text().empty());
  EXPECT_EQ(rig.session->mode_indicator().text(), rig.game->ReaderIndicator());
  EXPECT_NE(rig.Pixel({-12, 12}), bare);
  rig.Click({300, 300}, 2);  // a click ends it
  EXPECT_EQ(rig.session->mode_indicator().text(), "");
  EXPECT_EQ(rig.Pixel({-12, 12}), bare);
  // A notice in the lower corner, gone after its time with a frame of its own.
  const uint32_t corner = rig.Pixel({-12, -12});
  rig.session->ShowNotice("saved");
  rig.Passes(1);
  EXPECT_NE(rig.Pixel({-12, -12}), corner);
  const uint64_t shown = SDL_GetTicks64();
  EXPECT_TRUE(rig.PassUntil([&] { return !rig.session->notice().Shown(); }, 500));
  EXPECT_GE(SDL_GetTicks64() - shown, session::Notice::kShownMs - 100);
  EXPECT_EQ(rig.Pixel({-12, -12}), corner);
  session::Notice notice;
  notice.Show("first", 1000);
  EXPECT_EQ(notice.MsLeft(2500), 500u);
  notice.Show("second", 2000);  // a new one starts its own time
  EXPECT_FALSE(notice.Expire(3999));
  EXPECT_TRUE(notice.Expire(4000));
  EXPECT_FALSE(notice.Shown());
}

// (Its keys and what it keeps from the game: the session suite's.)
TEST_F(LoopTest, F1ShowsTheReaderSettingsOverThePictureAndEscapeKeepsThem) {
  const Point middle{512, 384};
  const uint32_t bare = rig.Pixel(middle);
  rig.Press(SDLK_F1, 3);
  ASSERT_TRUE(rig.session->reader_settings_window().open);
  EXPECT_NE(rig.Pixel(middle), bare);
  rig.Press(SDLK_ESCAPE, 2);
  EXPECT_FALSE(rig.session->reader_settings_window().open);
  EXPECT_EQ(rig.Pixel(middle), bare);
  EXPECT_NE(rig.files.Get("CONF/velmor/settings.ini"), nullptr);
}

TEST_F(LoopTest, AnIdleLoopSleepsUntilTheNextTick) {
  rig.Passes(1);
  const uint64_t first = rig.loop->Ticks();
  int passes = 0;
  for (; rig.loop->Ticks() < first + 10; ++passes) rig.loop->Pass();
  EXPECT_LE(passes, 12);  // one pass a tick (a spinning loop would make hundreds)
  EXPECT_EQ(rig.loop->Ticks(), rig.in().ticks);
}

// Until the player does something the ticks would change nothing: the loop
// sleeps a quarter of a second at a time; a click is seen at once.
TEST(Loop, AtAClickWaitTheLoopRests) {
  SdlRig rig(testing::ClickCounter());
  rig.Start();
  ASSERT_TRUE(rig.PassUntil([&] { return rig.in().scn.MainProc == WaitHandler::WaitClick; }));
  rig.Passes(1);
  const uint64_t start = SDL_GetTicks64(), ticks = rig.loop->Ticks();
  rig.Passes(4);
  EXPECT_GE(SDL_GetTicks64() - start, 3 * session::Session::kRestMs);
  EXPECT_LE(rig.loop->Ticks() - ticks, 4u);
  rig.Click({300, 300}, 1);
  EXPECT_NE(rig.in().scn.MainProc, WaitHandler::WaitClick) << "the pass that took it ran a tick";
}

// Not for the same picture again, nor for an open panel without input.
TEST_F(LoopTest, FramesAreDrawnOnlyForChanges) {
  auto after = [&](uint64_t ticks) {
    const uint64_t until = rig.loop->Ticks() + ticks;
    while (rig.loop->Ticks() < until) rig.loop->Pass();
    return rig.window.stats().renders;
  };
  const uint64_t frames = after(2);
  EXPECT_EQ(after(30), frames) << "the same picture every tick";
  SDL_WarpMouseInWindow(rig.window.sdl_window(), 400, 300);
  rig.Push(SDL_MOUSEMOTION, [](SDL_Event& e) { e.motion.x = 400, e.motion.y = 300; });
  EXPECT_EQ(after(3), frames + 1) << "the pointer's sprite moved";
  OpenConfigPanel();
  const uint64_t panel = after(3);
  EXPECT_LE(after(10), panel + 1);  // 200 ms
  const uint64_t before = rig.window.stats().renders;
  p.SpeedSpin.SetValue(p.SpeedSpin.value + p.SpeedSpin.increment);  // as a slot load does
  rig.Passes(1);
  EXPECT_EQ(rig.window.stats().renders, before + 1);
}

// The game's texts from the start, other characters from the next frame on.
TEST(UiFonts, CharactersAreAddedToTheAtlasWhenFirstNeeded) {
  SdlRig rig;
  ui::UiLayer& ui = *rig.ui;
  ui.BeginFrame({1024, 768}, 1.0);
  ui.EndFrame();
  EXPECT_TRUE(ui.Need(ui::UiFont::Box, "本当に終了するよ？"));
  EXPECT_FALSE(ui.Need(ui::UiFont::List, "鬱金"));
  EXPECT_TRUE(ui.AtlasOutdated());
  const int builds = ui.AtlasBuilds();
  ui.BeginFrame({1024, 768}, 1.1);
  ui.EndFrame();
  EXPECT_EQ(ui.AtlasBuilds(), builds + 1);
  EXPECT_TRUE(ui.Need(ui::UiFont::List, "鬱金"));
  EXPECT_FALSE(ui.Need(ui::UiFont::Panel, "鬱"));
}

// The engine's own Latin text (the reader's settings, the notices) is set in the proportional face;
// the game's own faces keep their fixed cells.
TEST(UiFonts, TheEnginesOwnTextIsProportional) {
  SdlRig rig;
  ui::UiLayer& ui = *rig.ui;
  ui.BeginFrame({1024, 768}, 1.0);
  ui.EndFrame();
  auto width = [&ui](ui::UiFont f, const char* text) {
    ImFont* font = ui.Font(f);
    return font->CalcTextSizeA(font->FontSize, 1e6f, 0, text).x;
  };
  EXPECT_LT(width(ui::UiFont::Engine, "iiii"), width(ui::UiFont::Engine, "WWWW"));
  EXPECT_EQ(width(ui::UiFont::Box, "iiii"), width(ui::UiFont::Box, "WWWW"));
}

}  // namespace
}  // namespace velmor::main
