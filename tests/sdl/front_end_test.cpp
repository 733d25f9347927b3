// The real front end's loop on SDL's dummy driver: where clicks and keys
// go, the panels' controls, the message boxes and the ticks behind them,
// close requests and signals.
#include "platform/sdl/front_end.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/errors.h"
#include "core/sjis.h"
#include "imgui.h"
#include "menus/panel_layout.h"
#include "platform/shared/png.h"
#include "sdl_rig.h"

namespace velmor::platform::sdl {
namespace {

using menus::WindowRect;
using testing::SdlRig;

class FrontEndTest : public ::testing::Test {
 protected:
  void OpenConfigPanel() {
    menus::Panels& p = rig.game.panels;
    p.ConfigPanel.MoveTo(100, 100);
    p.ConfigPanel.visible = true;
    rig.Passes(1);  // drawn once before the player can point at it
  }
  int Count(const std::string& line) const {
    return static_cast<int>(std::count(rig.game.log.begin(), rig.game.log.end(), line));
  }
  SdlRig rig;
};

TEST_F(FrontEndTest, ClicksOnThePictureGoToTheGame) {
  rig.front->Start();
  rig.Click({10, 10});
  rig.Click({500, 300}, SDL_BUTTON_RIGHT);
  rig.Click({30, 30}, SDL_BUTTON_MIDDLE);
  rig.Click({20, 20}, SDL_BUTTON_X1);  // an extra button: "no button", it clears the click
  rig.Passes(2);
  EXPECT_EQ(rig.game.log, (std::vector<std::string>{"MouseDown Left", "MouseUp", "MouseDown Right",
                                                    "MouseUp", "MouseDown Middle", "MouseUp",
                                                    "MouseDown Other", "MouseUp"}));
}

TEST_F(FrontEndTest, NothingReachesTheGameBeforeItStartsThenACloseRequestAsksIt) {
  rig.Click({10, 10});
  rig.Press(SDLK_LCTRL, KMOD_LCTRL);
  rig.Quit();
  rig.Passes(2);
  EXPECT_TRUE(rig.game.log.empty());
  EXPECT_EQ(rig.game.ticks, 0);
  rig.front->Start();
  rig.Quit();
  rig.Passes(1);
  EXPECT_EQ(rig.game.log, std::vector<std::string>{"CloseQuery"});
}

TEST_F(FrontEndTest, AClickOnAPanelButtonRunsItsHandlerNotTheGames) {
  rig.front->Start();
  OpenConfigPanel();
  int clicks = 0;
  rig.game.panels.ExitButton.OnClick = [&] { ++clicks; };
  rig.Click(SdlRig::Centre(rig.game.panels.ExitButton));
  rig.Passes(3);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Count("MouseDown Left"), 0);
  // Outside the panel the game hears it again.
  rig.Click({5, 5});
  rig.Passes(2);
  EXPECT_EQ(Count("MouseDown Left"), 1);
  EXPECT_EQ(clicks, 1);
}

TEST_F(FrontEndTest, SpinArrowsStepByTheIncrementAndDoubleClickResets) {
  rig.front->Start();
  OpenConfigPanel();
  menus::Panels& p = rig.game.panels;
  p.SpeedSpin.SetValue(64);
  int changes = 0, resets = 0;
  p.SpeedSpin.OnChange = [&] { ++changes; };
  p.SpeedSpin.OnDblClick = [&] { ++resets; };
  Rect r = WindowRect(p.SpeedSpin);
  rig.Click({r.right - 8, r.top + 5});  // the upper arrow lowers the speed value
  rig.Passes(3);
  EXPECT_EQ(p.SpeedSpin.value, 48);
  rig.Click({r.right - 8, r.bottom - 5});
  rig.Passes(3);
  EXPECT_EQ(p.SpeedSpin.value, 64);
  EXPECT_EQ(changes, 2);
  Point number{r.left + 10, r.top + 12};
  rig.Click(number);
  rig.Passes(2);
  rig.Click(number);
  rig.Passes(3);
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(p.SpeedSpin.value, 64) << "the number itself takes no input";
}

TEST_F(FrontEndTest, RadioButtonsAndTheirGroup) {
  rig.front->Start();
  OpenConfigPanel();
  menus::Panels& p = rig.game.panels;
  std::vector<std::string> clicked;
  for (RadioButton* b : {&p.WaveBtn, &p.MidiBtn, &p.MidiBtn2, &p.MuteBtn})
    b->OnClick = [&clicked, b] { clicked.push_back(b->name); };
  p.SoundGroupBox.OnClick = [&] { clicked.push_back("SoundGroupBox"); };
  p.MidiBtn2.enabled = false;

  rig.Click(SdlRig::Centre(p.MidiBtn));
  rig.Passes(3);
  rig.Click(SdlRig::Centre(p.MidiBtn2));  // disabled: nothing happens
  rig.Passes(3);
  Rect g = WindowRect(p.SoundGroupBox);
  rig.Click({g.left + 5, g.bottom - 4});  // the group's own area
  rig.Passes(3);
  EXPECT_EQ(clicked, (std::vector<std::string>{"MidiBtn", "SoundGroupBox"}));
  EXPECT_TRUE(p.MidiBtn.checked);
  EXPECT_FALSE(p.WaveBtn.checked);
}

TEST_F(FrontEndTest, KeysMoveTheFocusAndPressTheFocusedControl) {
  rig.front->Start();
  OpenConfigPanel();
  menus::Panels& p = rig.game.panels;
  int ok = 0;
  p.ExitButton.OnClick = [&] { ++ok; };
  p.SpeedSpin.SetValue(64);
  rig.Press(SDLK_RETURN);  // the first tab stop, OK, has the focus
  rig.Passes(2);
  EXPECT_EQ(ok, 1);
  rig.Press(SDLK_TAB);
  rig.Press(SDLK_UP);
  rig.Passes(2);
  EXPECT_EQ(p.ConfigPanel.focus, &p.SpeedSpin);
  EXPECT_EQ(p.SpeedSpin.value, 48);
  rig.Press(SDLK_TAB, KMOD_LSHIFT);
  rig.Passes(1);
  EXPECT_EQ(p.ConfigPanel.focus, &p.ExitButton);
  // The game hears every key as well, with the modifiers held.
  EXPECT_EQ(Count("KeyDown 0"), 3);
  EXPECT_EQ(Count("KeyDown 1"), 1);
  EXPECT_EQ(Count("KeyUp"), 4);
}

TEST_F(FrontEndTest, KeysAndTheWheelStandInForTheMouseOnlyWithoutAPanel) {
  rig.front->Start();
  rig.Press(SDLK_RETURN);
  rig.Press(SDLK_3);
  rig.Key(SDLK_DOWN, true);
  rig.Key(SDLK_DOWN, true, KMOD_NONE, true);  // held: it repeats
  rig.Key(SDLK_DOWN, false);
  rig.Key(SDLK_SPACE, true);
  rig.Key(SDLK_SPACE, true, KMOD_NONE, true);  // held: one click only
  rig.Key(SDLK_SPACE, false);
  rig.Wheel(-1);
  rig.Wheel(1);
  rig.Passes(2);
  auto reader = [](ReaderKey k) { return "ReaderKey " + std::to_string(static_cast<int>(k)); };
  EXPECT_EQ(Count(reader(ReaderKey::Enter)), 1);
  EXPECT_EQ(Count(reader(ReaderKey::Row3)), 1);
  EXPECT_EQ(Count(reader(ReaderKey::Down)), 2);
  EXPECT_EQ(Count(reader(ReaderKey::Space)), 1);
  EXPECT_EQ(Count("MouseWheel Down"), 1);
  EXPECT_EQ(Count("MouseWheel Up"), 1);
  // The game hears them as keys as before.
  EXPECT_EQ(Count("KeyDown 0"), 6);

  // With a panel open the keys and the wheel are the panel's.
  rig.game.log.clear();
  OpenConfigPanel();
  rig.Press(SDLK_ESCAPE);
  rig.Press(SDLK_1);
  rig.Wheel(-1);
  rig.Passes(2);
  EXPECT_EQ(Count("MouseWheel Down"), 0);
  for (const std::string& line : rig.game.log)
    EXPECT_EQ(line.rfind("ReaderKey", 0), std::string::npos) << line;
}

// Six rows of the same caption show the same ink: the last one is not cut by
// the list's frame. A click chooses a row, a double click runs the handler.
TEST_F(FrontEndTest, TheSaveListShowsItsSixRowsWholeAndTakesClicks) {
  rig.front->Start();
  menus::Panels& p = rig.game.panels;
  p.SavePanel.MoveTo(50, 50);
  p.SavePanel.visible = true;
  for (int i = 0; i < 6; ++i)
    p.SaveList.rows.push_back(Sjis("　７月１２日『　太郎と　花子のVelmor』 '26/12/07 18:18:18").str());
  p.SavePanel.SetFocus(&p.SaveButton);  // no dotted focus frame on the list
  rig.Passes(3);
  const Rect r = WindowRect(p.SaveList);
  Size size;
  const std::vector<uint32_t> pixels = rig.window.ReadPixels(size);
  ASSERT_FALSE(pixels.empty());
  std::vector<int> ink;
  for (int row = 0; row < 6; ++row) {
    int n = 0;
    for (int y = r.top + 2 + row * 15; y < r.top + 2 + (row + 1) * 15; ++y)
      for (int x = r.left + 2; x < r.right - 2; ++x)
        n += (pixels[static_cast<std::size_t>(y) * size.width + x] & 0xFFFFFF) == 0;
    ink.push_back(n);
  }
  EXPECT_GT(ink[0], 100);
  EXPECT_EQ(ink, std::vector<int>(6, ink[0]));

  int opened = 0;
  p.SaveList.OnDblClick = [&] { ++opened; };
  Point row3{r.left + 40, r.top + 2 + 3 * 15 + 7};
  rig.Click(row3);
  rig.Passes(3);
  EXPECT_EQ(p.SaveList.selected, 3);
  EXPECT_EQ(opened, 0);
  rig.Click(row3);
  rig.Passes(3);
  EXPECT_EQ(opened, 1);
  rig.Press(SDLK_DOWN);
  rig.Passes(1);
  EXPECT_EQ(p.SaveList.selected, 4);
}

TEST_F(FrontEndTest, ATickGoesOnWhileABoxIsOpen) {
  rig.front->Start();
  rig.game.on_pass = [&] {
    if (rig.game.ticks == 5) rig.Press(SDLK_ESCAPE);
  };
  MessageBoxModel box("text", MessageKind::Confirmation, Buttons::OkCancel);
  EXPECT_EQ(rig.front->RunMessageBox(box), Answer::Cancel);
  EXPECT_GE(rig.game.ticks, 5);
  EXPECT_EQ(rig.game.deepest_tick, 1);
}

TEST_F(FrontEndTest, ABoxRaisedByATickHoldsTheTicksUntilAnswered) {
  rig.front->Start();
  int ticks_during_box = -1;
  rig.game.on_tick = [&] {
    if (rig.game.ticks != 1) return;
    int passes = 0;
    rig.game.on_pass = [&] {
      if (++passes == 4) rig.Press(SDLK_RETURN);
    };
    int before = rig.game.ticks;
    EXPECT_EQ(rig.dialogs->ShowMessageBox(Sjis("範囲外のフラグ指定").str(), MessageKind::Error,
                                          Buttons::Ok),
              Answer::Ok);
    ticks_during_box = rig.game.ticks - before;
    rig.game.on_pass = nullptr;
  };
  while (rig.game.ticks < 3) rig.front->Pass();
  EXPECT_EQ(ticks_during_box, 0);
  EXPECT_EQ(rig.game.deepest_tick, 1);
}

TEST_F(FrontEndTest, BoxKeysAndTheCloseRequestAnswerTheBox) {
  struct Case {
    SDL_Keycode key;  // 0: a close request from the window manager
    Buttons buttons;
    Answer answer;
  };
  for (const Case& c : {Case{SDLK_RETURN, Buttons::OkCancel, Answer::Ok},
                        Case{SDLK_KP_ENTER, Buttons::OkCancel, Answer::Ok},
                        Case{SDLK_ESCAPE, Buttons::OkCancel, Answer::Cancel},
                        Case{0, Buttons::OkCancel, Answer::Cancel},
                        Case{0, Buttons::Ok, Answer::Ok}}) {
    if (c.key == 0) {
      rig.Quit();
    } else {
      rig.Press(c.key);
    }
    MessageBoxModel box("text", MessageKind::Confirmation, c.buttons);
    EXPECT_EQ(rig.front->RunMessageBox(box), c.answer) << "key " << c.key;
  }
  EXPECT_EQ(Count("CloseQuery"), 0) << "the box took the close request";
}

TEST_F(FrontEndTest, WhileABoxIsOpenThePanelsAndTheGameTakeNoInput) {
  rig.front->Start();
  OpenConfigPanel();
  int ok = 0;
  rig.game.panels.ExitButton.OnClick = [&] { ++ok; };
  int passes = 0;
  rig.game.on_pass = [&] {
    ++passes;
    if (passes == 1) {
      rig.Click(SdlRig::Centre(rig.game.panels.ExitButton));
      rig.Click({5, 5});
      rig.Press(SDLK_LCTRL, KMOD_LCTRL);
    }
    if (passes == 6) rig.Press(SDLK_ESCAPE);
  };
  MessageBoxModel box("text", MessageKind::Information, Buttons::Ok);
  rig.front->RunMessageBox(box);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(Count("MouseDown Left"), 0);
  EXPECT_EQ(Count("KeyDown 2"), 0);
}

TEST_F(FrontEndTest, ASignalEndsTheGameWithoutAQuestionEvenFromABox) {
  rig.front->Start();
  InstallQuitSignals();
  std::raise(SIGTERM);
  EXPECT_THROW(rig.front->Pass(), QuitSignal);
  ClearQuitSignal();
  EXPECT_EQ(rig.game.log, (std::vector<std::string>{"QuitNow"}));
  rig.game.on_pass = [] { std::raise(SIGINT); };
  MessageBoxModel box("text", MessageKind::Confirmation, Buttons::OkCancel);
  EXPECT_THROW(rig.front->RunMessageBox(box), QuitSignal);
  ClearQuitSignal();
  EXPECT_EQ(Count("QuitNow"), 2);
}

TEST_F(FrontEndTest, AGameErrorFromAHandlerIsReported) {
  rig.front->Start();
  OpenConfigPanel();
  rig.game.panels.ExitButton.OnClick = [] { throw GameError("CG/WALL00.BMP: no such file"); };
  rig.Press(SDLK_RETURN);
  rig.Passes(2);
  EXPECT_EQ(Count("ReportError CG/WALL00.BMP: no such file"), 1);
}

TEST_F(FrontEndTest, AResizedWindowAndF11OrAltEnterTellTheGameEvenOverAPanel) {
  rig.front->Start();
  SDL_SetWindowSize(rig.window.sdl_window(), 800, 600);  // smaller than the display
  rig.Passes(1);
  EXPECT_EQ(rig.game.log, std::vector<std::string>{"DisplayResized"});
  EXPECT_EQ(rig.window.ScreenSize(), (Size{800, 600}));
  rig.game.log.clear();
  OpenConfigPanel();
  int ok = 0;
  rig.game.panels.ExitButton.OnClick = [&] { ++ok; };  // the focused button
  SDL_Rect display;
  ASSERT_EQ(SDL_GetDisplayBounds(0, &display), 0);
  const Size normal = rig.window.ScreenSize();
  rig.Press(SDLK_F11);
  rig.Passes(2);
  EXPECT_TRUE(rig.window.FullScreen());
  EXPECT_EQ(rig.window.ScreenSize(), (Size{display.w, display.h}));
  rig.Key(SDLK_LALT, true, KMOD_LALT);
  rig.Press(SDLK_RETURN, KMOD_LALT);
  rig.Key(SDLK_LALT, false);
  rig.Passes(2);
  EXPECT_FALSE(rig.window.FullScreen());
  EXPECT_EQ(rig.window.ScreenSize(), normal);
  EXPECT_EQ(Count("DisplayResized"), 2);
  EXPECT_EQ(ok, 0);  // Enter with Alt did not press the panel's OK
}

// F12 with the pictures folder set to one of the test's own.
class ScreenshotTest : public FrontEndTest {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(VELMOR_BUILD_DIR) / "sdl_screenshot_test" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(folder_);
    setenv("XDG_PICTURES_DIR", folder_.string().c_str(), 1);
    rig.front->Start();
    // The game's picture on the window, at its own size.
    rig.window.StretchOnWindow(rig.game.picture, Rect::FromSize(192, 144, 640, 480));
    rig.Passes(1);
  }
  // The files written, in name order.
  std::vector<std::filesystem::path> Written() const {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder_ / "velmor", ec))
      files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
  }
  static std::vector<uint8_t> Bytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::filesystem::path folder_;
};

TEST_F(ScreenshotTest, F12WritesThePictureWithThePanelsAndSaysSoInTheCorner) {
  auto corner = [this] {
    Size size;
    std::vector<uint32_t> pixels = rig.window.ReadPixels(size);
    return pixels[static_cast<std::size_t>(size.height - 12) * size.width + size.width - 12];
  };
  const uint32_t before = corner();
  rig.Press(SDLK_F12);
  rig.Passes(2);
  EXPECT_NE(corner(), before);  // the notice is drawn there
  const std::vector<std::filesystem::path> files = Written();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(Bytes(files[0]), EncodePng(rig.game.picture));
  EXPECT_EQ(rig.front->notice().text(), "Screenshot saved: " + files[0].filename().string());
  EXPECT_EQ(Count("KeyDown 0"), 0);  // the game did not hear it
  // A second one (the same second or not) is another file, with the panel.
  OpenConfigPanel();  // at (100, 100): over the picture's top-left part
  rig.Press(SDLK_F12);
  rig.Passes(2);
  const std::vector<std::filesystem::path> both = Written();
  ASSERT_EQ(both.size(), 2u);
  EXPECT_NE(Bytes(both[0] == files[0] ? both[1] : both[0]), EncodePng(rig.game.picture));
}

TEST_F(ScreenshotTest, AFailureIsToldInTheCornerAndNothingElseHappens) {
  std::filesystem::create_directories(folder_);
  { std::ofstream blocker(folder_ / "velmor"); }  // a file where the folder should be
  rig.Press(SDLK_F12);
  rig.Passes(2);
  EXPECT_EQ(rig.front->notice().text().rfind("Screenshot not saved: ", 0), 0u)
      << rig.front->notice().text();
  // No box, nothing the game hears but the key going up, as any key's.
  EXPECT_EQ(rig.game.log, std::vector<std::string>{"KeyUp"});
}

TEST_F(FrontEndTest, TheReadingModeShowsInTheUpperCornerWhileItIsOn) {
  rig.front->Start();
  auto corner = [this] {
    Size size;
    std::vector<uint32_t> pixels = rig.window.ReadPixels(size);
    return pixels[static_cast<std::size_t>(12) * size.width + size.width - 12];
  };
  rig.Passes(1);
  const uint32_t bare = corner();
  rig.game.reader_indicator = "Auto";
  rig.Passes(1);
  EXPECT_EQ(rig.front->mode_indicator().text(), "Auto");
  EXPECT_NE(corner(), bare);
  rig.game.reader_indicator.clear();
  rig.Passes(1);
  EXPECT_FALSE(rig.front->mode_indicator().Shown());
  EXPECT_EQ(corner(), bare);
}

TEST_F(FrontEndTest, F1OpensTheReaderSettingsWhichKeepTheInputFromTheGame) {
  rig.front->Start();
  rig.game.reader_settings.music_volume = 35;
  rig.Press(SDLK_F1);
  rig.Passes(2);
  ASSERT_TRUE(rig.front->reader_settings_view().open());
  EXPECT_EQ(rig.front->reader_settings_view().settings().music_volume, 35);
  // Modal: clicks, keys and the wheel reach the window, not the game.
  rig.game.log.clear();
  rig.Click({10, 10});
  rig.Press(SDLK_RETURN);
  rig.Press(SDLK_PAGEUP);
  rig.Wheel(1);
  rig.Passes(2);
  // Only releases, so that no key or button stays held.
  for (const std::string& line : rig.game.log)
    EXPECT_TRUE(line == "KeyUp" || line == "MouseUp") << line;
  // Escape closes it and the settings are kept; F1 opens and closes it too.
  rig.Press(SDLK_ESCAPE);
  rig.Passes(2);
  EXPECT_FALSE(rig.front->reader_settings_view().open());
  EXPECT_EQ(Count("ReaderSettings kept"), 1);
  rig.Press(SDLK_F1);
  rig.Passes(1);
  EXPECT_TRUE(rig.front->reader_settings_view().open());
  rig.game.settings_problem = "The settings could not be kept: disk full";
  rig.Press(SDLK_F1);
  rig.Passes(1);
  EXPECT_FALSE(rig.front->reader_settings_view().open());
  EXPECT_EQ(Count("ReaderSettings kept"), 2);
  EXPECT_EQ(rig.front->notice().text(), "The settings could not be kept: disk full");
  // The game hears the keys again.
  rig.game.log.clear();
  rig.Press(SDLK_PAGEUP);
  rig.Passes(1);
  EXPECT_EQ(Count("ReaderKey " + std::to_string(static_cast<int>(ReaderKey::PageUp))), 1);
}

TEST(NoticeView, GoesWhenItsTimeIsOver) {
  SdlRig rig;
  NoticeView notice(*rig.ui);
  notice.Show("first", 1000);
  EXPECT_EQ(notice.MsLeft(2500), 500u);
  EXPECT_FALSE(notice.Expire(2999));
  notice.Show("second", 2000);  // a new one starts its own time
  EXPECT_FALSE(notice.Expire(3999));
  EXPECT_EQ(notice.text(), "second");
  EXPECT_TRUE(notice.Expire(4000));
  EXPECT_FALSE(notice.Shown());
  EXPECT_FALSE(notice.Expire(5000));
}

TEST_F(FrontEndTest, AnIdleLoopSleepsUntilTheNextTick) {
  rig.front->Start();
  rig.Passes(1);
  const int first = rig.game.ticks;
  int passes = 0;
  while (rig.game.ticks < first + 10) {
    rig.front->Pass();
    ++passes;
  }
  // One pass a tick (a spinning loop would make hundreds).
  EXPECT_LE(passes, 12);
  EXPECT_EQ(rig.front->Ticks(), static_cast<uint64_t>(rig.game.ticks));
}

TEST_F(FrontEndTest, TheSamePictureAgainDrawsNoFrame) {
  Bitmap picture(640, 480, 0x123456);
  rig.game.on_tick = [&] { rig.window.StretchOnWindow(picture, Rect::FromSize(192, 144, 640, 480)); };
  rig.front->Start();
  while (rig.game.ticks < 2) rig.front->Pass();
  const uint64_t frames = rig.window.stats().renders;
  while (rig.game.ticks < 30) rig.front->Pass();
  EXPECT_EQ(rig.window.stats().renders, frames);
  picture.set(0, 0, 0xFFFFFF);
  const int now = rig.game.ticks;
  while (rig.game.ticks < now + 1) rig.front->Pass();
  EXPECT_EQ(rig.window.stats().renders, frames + 1) << "a changed picture is drawn";
}

TEST_F(FrontEndTest, AnOpenPanelIsDrawnWhenItChangesNotOnEveryTick) {
  rig.front->Start();
  OpenConfigPanel();
  while (rig.game.ticks < 3) rig.front->Pass();
  const uint64_t frames = rig.window.stats().renders;
  while (rig.game.ticks < 13) rig.front->Pass();  // 200 ms
  EXPECT_LE(rig.window.stats().renders, frames + 1);
  const uint64_t before = rig.window.stats().renders;
  rig.game.panels.MouseSpin.SetValue(4);  // as a slot load does
  rig.Passes(1);
  EXPECT_EQ(rig.window.stats().renders, before + 1);
}

TEST(ImGuiFonts, CharactersAreAddedToTheAtlasWhenFirstNeeded) {
  SdlRig rig;
  ImGuiLayer& ui = *rig.ui;
  EXPECT_TRUE(ui.fonts_ok());
  EXPECT_EQ(ui.AtlasBuilds(), 0) << "nothing is built before the first panel or box";
  ui.BeginFrame();
  ui.EndFrame();
  const int builds = ui.AtlasBuilds();
  EXPECT_EQ(builds, 1);
  EXPECT_TRUE(ui.Need(UiFont::Box, "本当に終了するよ？")) << "the game's texts are there from the start";
  EXPECT_FALSE(ui.AtlasOutdated());
  EXPECT_FALSE(ui.Need(UiFont::List, "鬱金"));
  EXPECT_TRUE(ui.AtlasOutdated());
  ui.BeginFrame();
  ui.EndFrame();
  EXPECT_EQ(ui.AtlasBuilds(), builds + 1);
  EXPECT_TRUE(ui.Need(UiFont::List, "鬱金"));
  EXPECT_FALSE(ui.Need(UiFont::Panel, "鬱")) << "each font has its own characters";
}

}  // namespace
}  // namespace velmor::platform::sdl
