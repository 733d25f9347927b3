// The name fields in the real front end with an input method's events
// injected, then with a real input method (RealInputMethodTest), which alone
// shows a composition going on in the next field.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "core/sjis.h"
#include "imgui.h"
#include "sdl_rig.h"

namespace velmor::main {
namespace {

using testing::S;

// The name panel open over a game that goes on ticking, the family name
// field having the keyboard.
struct NameRig : testing::SdlRig {
  explicit NameRig(int passes = 3) {
    Start();
    Show(p.NamePanel, {300, 400}, &p.SecondNameEdit, passes);
  }
  menus::Panels& p = panels();
};

class NameFieldImeTest : public ::testing::Test, protected NameRig {};

// An input method set to commit its composition when reset sends it again
// after the click; that echo goes nowhere, what comes after it is typed.
// The help label over the fields shows its characters whole and apart from the fields: every row
// of their ink is drawn, above a blank row that keeps them off the field's grey frame (the face's
// glyphs reach a row lower than the label's 12 pixels).
TEST_F(NameFieldImeTest, TheHelpLabelStandsClearOfTheFields) {
  const Rect label = menus::WindowRect(p.NameHelpLabel);
  const Rect field = menus::WindowRect(p.SecondNameEdit);
  const ImFont* f = ui->Font(ui::UiFont::Label);
  float ink_top = 1e9f, ink_bottom = -1e9f;
  for (const char* c : {"苗", "字", "名", "前"}) {
    const ImFontGlyph* g = f->FindGlyph(static_cast<ImWchar>(ui::CodePoints(c).at(0)));
    ASSERT_NE(g, nullptr);
    ink_top = std::min(ink_top, g->Y0), ink_bottom = std::max(ink_bottom, g->Y1);
  }
  Size size;
  const std::vector<uint32_t> px = window.ReadPixels(size);
  auto inked = [&](int y) {  // the label's grey in row y
    for (int x = label.left; x < label.right; ++x)
      if (px[static_cast<std::size_t>(y) * size.width + x] == 0x808080) return true;
    return false;
  };
  int rows = 0;
  for (int y = label.top - 8; y < field.top - 1; ++y) rows += inked(y);
  EXPECT_EQ(std::pair(rows, inked(field.top - 1)),
            std::pair(static_cast<int>(ink_bottom - ink_top), false));
}

TEST_F(NameFieldImeTest, AClickOnTheOtherFieldKeepsTheCompositionInItsOwnField) {
  // The composition, the text events after the click, the given name field then.
  using Row = std::tuple<std::string, std::vector<std::string>, std::string>;
  for (const auto& [composition, then, given] :
       {Row{"やまだ", {"やまだ"}, ""},  // the echo
        Row{"わたなべたろうざえもん", {"わたなべたろうざえも", "ん"}, ""},  // 33 bytes: in pieces
        Row{"やまだ", {"はな"}, S("はな")},  // other text
        Row{"やま", {"やま", "やま"}, S("やま")}}) {  // the echo only once
    SCOPED_TRACE(composition + " " + then[0]);
    p.SecondNameEdit.SetText("");
    p.FirstNameEdit.SetText("");
    p.NamePanel.SetFocus(&p.SecondNameEdit);
    Passes(3);
    Composition(composition.c_str(), 1, 2);
    Click(NameRig::Centre(p.FirstNameEdit), 3);
    EXPECT_EQ(p.NamePanel.focus, &p.FirstNameEdit);
    for (const std::string& text : then) Text(text.c_str(), 3);
    EXPECT_EQ(p.SecondNameEdit.text, Utf8ToSjis(composition).substr(0, 8));
    EXPECT_EQ(std::pair(p.SecondNameEdit.composition, p.FirstNameEdit.text),
              std::pair(std::string(), given));
  }
}

// A key pressed after the click (the player typing on) means what comes
// next is typed, even when it is the same as the composition taken.
TEST_F(NameFieldImeTest, AfterAKeyTheSameTextIsTypedNotTakenForTheEcho) {
  Composition("やま", 2, 2);
  Click(NameRig::Centre(p.FirstNameEdit), 3);
  Press(SDLK_y, 1);
  Text("やま", 2);
  EXPECT_EQ(std::pair(p.SecondNameEdit.text, p.FirstNameEdit.text),
            std::pair(S("やま"), S("やま")));
}

// As a box that takes the keyboard does, or OK clicked while composing.
TEST_F(NameFieldImeTest, TheCompositionGoesIntoTheFieldWhenTheKeyboardLeavesIt) {
  Composition("やま", 2, 2);
  boxes.ShowMessageBox("text", platform::MessageKind::Information, platform::Buttons::Ok);
  Passes(2);
  EXPECT_FALSE(SDL_IsTextInputActive()) << "the box has the keyboard";
  EXPECT_EQ(std::pair(p.SecondNameEdit.text, p.SecondNameEdit.composition),
            std::pair(S("やま"), std::string()));
  Press(SDLK_RETURN, 2);
  ASSERT_TRUE(boxes.empty());
  EXPECT_TRUE(SDL_IsTextInputActive());
  std::string seen = "-";
  p.NameEntryButton.OnClick = [&] { seen = p.SecondNameEdit.text; };
  Composition("だ", 1, 2);
  Click(NameRig::Centre(p.NameEntryButton), 3);
  EXPECT_EQ(seen, S("やまだ"));
}

// Escape changes nothing in a name field (an edit control would take its old
// text back); Enter confirms it; the game hears none of these keys.
TEST_F(NameFieldImeTest, TheFieldKeepsItsKeysAndTakesTextAtTheCaret) {
  int enters = 0;
  p.SecondNameEdit.OnEnter = [&] { ++enters; };
  Text("山田", 2);
  Key(SDLK_LCTRL, true, KMOD_LCTRL);
  Press(SDLK_ESCAPE, 3, KMOD_LCTRL);
  EXPECT_EQ(p.SecondNameEdit.text, S("山田"));
  EXPECT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
  EXPECT_EQ(input().sft, 0) << "the game heard a key";
  Key(SDLK_LCTRL, false);
  Press(SDLK_RETURN, 2);
  EXPECT_EQ(enters, 1);
  p.SecondNameEdit.SetText("ac");  // as the default names button does
  Passes(3);
  Press(SDLK_LEFT, 2);
  Text("b", 2);
  Composition("山", 1, 2);  // shown at the caret, committed there
  Text("山", 2);
  EXPECT_EQ(p.SecondNameEdit.text, S("ab山c"));
  EXPECT_EQ(p.SecondNameEdit.caret, 4u);
}

TEST_F(NameFieldImeTest, TextInputFollowsTheFocus) {
  EXPECT_TRUE(SDL_IsTextInputActive());
  p.NamePanel.focus = &p.NameEntryButton;  // as a handler moves it
  Passes(2);
  EXPECT_FALSE(SDL_IsTextInputActive());
  Key(SDLK_LCTRL, true, KMOD_LCTRL);
  Passes(1);
  EXPECT_EQ(input().sft, 2) << "keys go to the game again";
  Key(SDLK_LCTRL, false);
  p.NamePanel.focus = &p.FirstNameEdit;
  Passes(2);
  EXPECT_TRUE(SDL_IsTextInputActive());
  p.NamePanel.visible = false;
  Passes(1);
  EXPECT_FALSE(SDL_IsTextInputActive());
}

// Past the byte limit (the menus suite's) or without a Shift-JIS form, what
// is typed or composed is dropped and the field's frame flashes a moment.
TEST(NameFieldTyping, GoesInAsFarAsItFitsAndWhatIsDroppedFlashes) {
  // Committed, then composed ("": none) and the other field clicked, the field's text then.
  using Row = std::tuple<const char*, const char*, const char*, bool>;
  for (auto [text, composition, field, flashing] :
       {Row{"山田", "", "山田", false}, Row{"a\xC3\xA9" "b", "", "ab", true} /* "a\u00e9b" */,
        Row{"山田太", "郎花", "山田太郎", true}}) {
    SCOPED_TRACE(text);
    NameRig r;
    r.Text(text);
    if (*composition) r.Composition(composition, 1);
    r.Passes(2);
    if (*composition) {
      EXPECT_FALSE(r.loop->views().panel_view().Flashing()) << "nothing is dropped while composing";
      r.Click(NameRig::Centre(r.p.FirstNameEdit), 3);
    }
    EXPECT_EQ(r.p.SecondNameEdit.text, S(field));
    EXPECT_EQ(r.loop->views().panel_view().Flashing(), flashing);
  }
}

// IBus with Anthy on an X server, keys pressed with xdotool: only as
// tests/sdl/real_input_method.sh sets it up and runs it.
TEST(RealInputMethodTest, TheOtherFieldClickedWhileComposing) {
  if (std::getenv("VELMOR_REAL_IME") == nullptr)
    GTEST_SKIP() << "needs an X server with IBus and Anthy: run tests/sdl/real_input_method.sh";
  NameRig rig(0);
  menus::Panels& p = rig.p;
  ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
  auto xdo = [](const std::string& args) {
    const std::string command = "timeout -s KILL 10 xdotool " + args;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  };
  // Finds our X window (the rig titles it "test") for the xdotool command after it.
  const std::string ours = "search --sync --all --pid " + std::to_string(getpid()) + " --name test";
  // Runs the loop until `done` holds, a few seconds at most (the input method is elsewhere).
  auto until = [&](const std::function<bool()>& done, int passes = 200) {
    for (int i = 0; i < passes; ++i) {
      rig.Passes(1);
      if (done()) return true;
    }
    return false;
  };
  xdo(ours + " windowfocus --sync");
  ASSERT_TRUE(until([] { return SDL_IsTextInputActive() == SDL_TRUE; }));
  xdo("type --delay 40 yamada");  // Latin letters, for the input method to turn into kana
  ASSERT_TRUE(until([&] { return p.SecondNameEdit.composition == "やまだ"; }))
      << "the input method composes nothing: is it in hiragana mode?";
  const Point at = NameRig::Centre(p.FirstNameEdit);
  xdo(ours + " mousemove --window %1 " + std::to_string(at.x) + " " + std::to_string(at.y));
  rig.Passes(2);
  xdo("click 1");
  ASSERT_TRUE(until([&] { return p.NamePanel.focus == &p.FirstNameEdit; }));
  until([] { return false; }, 40);  // whatever the input method still sends arrives now
  EXPECT_EQ(std::pair(p.SecondNameEdit.text, p.FirstNameEdit.text),
            std::pair(S("やまだ"), std::string()));
  xdo("type --delay 40 hana");
  ASSERT_TRUE(until([&] { return p.FirstNameEdit.composition == "はな"; }))
      << "the input method goes on with the old composition";
  xdo("key Return");
  ASSERT_TRUE(until([&] { return p.FirstNameEdit.text == S("はな"); }));
  EXPECT_EQ(p.SecondNameEdit.text, S("やまだ"));
}

}  // namespace
}  // namespace velmor::main
