// The name fields in the real front end, with an input method's events
// injected: typing within the byte limit, where a pending composition goes
// when the keyboard moves on, the keys a field keeps, text typed at the
// caret, the keyboard following the focus, and the sign of dropped characters.
// Then with a real input method (RealInputMethodTest), which alone shows a
// composition going on in the next field.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/sdl/front_end.h"
#include "sdl_rig.h"

namespace velmor::platform::sdl {
namespace {

using testing::S;

// The real front end with the name panel open, the family name field
// having the keyboard (after `passes` passes).
struct NameRig : testing::SdlRig {
  explicit NameRig(int passes = 3) {
    front->Start();
    Show(p.NamePanel, {300, 400}, &p.SecondNameEdit, passes);
  }
  menus::Panels& p = game.panels;
};

class NameFieldImeTest : public ::testing::Test {
 protected:
  NameRig rig;
  menus::Panels& p = rig.p;
};

// The player composes in the family name field and clicks the given name
// field: the composition is the family name's. An input method set to commit
// its composition when reset sends it again; that echo goes nowhere, and what
// comes after it is typed as usual.
TEST_F(NameFieldImeTest, AClickOnTheOtherFieldKeepsTheCompositionInItsOwnField) {
  const std::string kLong = "わたなべたろうざえもん";  // 33 bytes: SDL sends it in two pieces
  struct Case {
    const char* what;
    std::string composition;
    std::vector<std::string> then;  // text events after the click
    std::string given;              // the given name field afterwards
  };
  for (const Case& c : {Case{"the echo", "やまだ", {"やまだ"}, ""},
                        Case{"an echo in pieces", kLong, {"わたなべたろうざえも", "ん"}, ""},
                        Case{"other text", "やまだ", {"はな"}, S("はな")},
                        Case{"the echo only once", "やま", {"やま", "やま"}, S("やま")}}) {
    SCOPED_TRACE(c.what);
    p.SecondNameEdit.SetText("");
    p.FirstNameEdit.SetText("");
    p.NamePanel.SetFocus(&p.SecondNameEdit);
    rig.Passes(3);
    rig.Composition(c.composition.c_str(), 1, 2);
    rig.Click(NameRig::Centre(p.FirstNameEdit), 3);
    EXPECT_EQ(p.NamePanel.focus, &p.FirstNameEdit);
    for (const std::string& text : c.then) rig.Text(text.c_str(), 3);
    EXPECT_EQ(p.SecondNameEdit.text, Utf8ToSjis(c.composition).substr(0, 8));
    EXPECT_EQ(std::pair(p.SecondNameEdit.composition, p.FirstNameEdit.text),
              std::pair(std::string(), c.given));
  }
}

// A box that takes the keyboard, or OK clicked while composing, takes the
// composition into the field first.
TEST_F(NameFieldImeTest, TheCompositionGoesIntoTheFieldWhenTheKeyboardLeavesIt) {
  rig.Composition("やま", 2, 2);
  MessageBoxModel box("text", MessageKind::Information, Buttons::Ok);
  rig.game.on_pass = [&] { rig.Press(SDLK_RETURN); };
  rig.front->RunMessageBox(box);
  rig.game.on_pass = nullptr;
  EXPECT_EQ(std::pair(p.SecondNameEdit.text, p.SecondNameEdit.composition),
            std::pair(S("やま"), std::string()));
  std::string seen = "-";
  p.NameEntryButton.OnClick = [&] { seen = p.SecondNameEdit.text; };
  rig.Passes(2);
  rig.Composition("だ", 1, 2);
  rig.Click(NameRig::Centre(p.NameEntryButton), 3);
  EXPECT_EQ(seen, S("やまだ"));
}

// Escape would put an edit control back to its text of when it took the
// focus; in a name field it changes nothing. Enter confirms the field; the
// game hears none of these keys. Text goes in at the caret, also after the
// game changed the field's text.
TEST_F(NameFieldImeTest, TheFieldKeepsItsKeysAndTakesTextAtTheCaret) {
  int enters = 0;
  p.SecondNameEdit.OnEnter = [&] { ++enters; };
  rig.Text("山田", 2);
  rig.Press(SDLK_ESCAPE, 3);
  EXPECT_EQ(p.SecondNameEdit.text, S("山田"));
  EXPECT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
  rig.Press(SDLK_RETURN, 2);
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(rig.game.Joined(), "");
  p.SecondNameEdit.SetText("ac");  // as the default names button does
  rig.Passes(3);
  rig.Press(SDLK_LEFT, 2);
  rig.Text("b", 2);
  rig.Composition("山", 1, 2);  // shown at the caret, committed there
  rig.Text("山", 2);
  EXPECT_EQ(p.SecondNameEdit.text, S("ab山c"));
  EXPECT_EQ(p.SecondNameEdit.caret, 4u);
}

TEST_F(NameFieldImeTest, TextInputFollowsTheFocus) {
  EXPECT_TRUE(SDL_IsTextInputActive());
  p.NamePanel.focus = &p.NameEntryButton;  // as a handler moves it
  rig.Passes(2);
  EXPECT_FALSE(SDL_IsTextInputActive());
  rig.Press(SDLK_a, 1);
  EXPECT_EQ(rig.Count("KeyDown 0"), 1) << "keys go to the game again";
  p.NamePanel.focus = &p.FirstNameEdit;
  rig.Passes(2);
  EXPECT_TRUE(SDL_IsTextInputActive());
  p.NamePanel.visible = false;
  rig.Passes(1);
  EXPECT_FALSE(SDL_IsTextInputActive());
}

// What goes into the field of what is typed and composed; characters that
// do not go in (past the byte limit, or without a Shift-JIS form) make the
// field's frame flash a moment. (The limit itself is the menus suite's.)
TEST(NameFieldTyping, GoesInAsFarAsItFitsAndWhatIsDroppedFlashes) {
  struct Typed {
    const char* text;         // committed first
    const char* composition;  // then composed ("" for none), and the other field clicked
    const char* field;        // the field's text then (UTF-8)
    bool flashing;
  };
  for (const Typed& t : {Typed{"山田", "", "山田", false},
                         Typed{"a\xC3\xA9" "b", "", "ab", true},  // "a\u00e9b"
                         Typed{"山田太", "郎花", "山田太郎", true}}) {
    SCOPED_TRACE(t.text);
    NameRig r;
    r.Text(t.text);
    if (*t.composition) r.Composition(t.composition, 1);
    r.Passes(2);
    if (*t.composition) {
      EXPECT_FALSE(r.front->panel_view().Flashing()) << "nothing is dropped while composing";
      r.Click(NameRig::Centre(r.p.FirstNameEdit), 3);
    }
    EXPECT_EQ(r.p.SecondNameEdit.text, S(t.field));
    EXPECT_EQ(r.front->panel_view().Flashing(), t.flashing);
  }
}

// IBus with Anthy on an X server, the keys pressed with xdotool:
// tests/sdl/real_input_method.sh sets it all up and runs these tests;
// anywhere else they are skipped.
class RealInputMethodTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("VELMOR_REAL_IME") == nullptr)
      GTEST_SKIP() << "needs an X server with IBus and Anthy: run tests/sdl/real_input_method.sh";
    rig = std::make_unique<NameRig>(0);
    ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
    Xdo(search_ + " windowfocus --sync");
    ASSERT_TRUE(Until([] { return SDL_IsTextInputActive() == SDL_TRUE; }));
  }
  void Xdo(const std::string& args) {
    const std::string command = "timeout -s KILL 10 xdotool " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  // Runs the loop until `done` holds (true) or for a few seconds at most
  // (false): the input method answers from other processes.
  bool Until(const std::function<bool()>& done, int passes = 200) {
    for (int i = 0; i < passes; ++i) {
      rig->Passes(1);
      if (done()) return true;
    }
    return false;
  }
  std::unique_ptr<NameRig> rig;
  // Finds our X window (the rig titles it "test") for the xdotool command after it.
  const std::string search_ =
      "search --sync --all --pid " + std::to_string(getpid()) + " --name test";
};

TEST_F(RealInputMethodTest, TheOtherFieldClickedWhileComposing) {
  menus::Panels& p = rig->p;
  Xdo("type --delay 40 yamada");  // Latin letters, for the input method to turn into kana
  ASSERT_TRUE(Until([&] { return p.SecondNameEdit.composition == "やまだ"; }))
      << "the input method composes nothing: is it in hiragana mode?";
  const Point at = NameRig::Centre(p.FirstNameEdit);
  Xdo(search_ + " mousemove --window %1 " + std::to_string(at.x) + " " + std::to_string(at.y));
  rig->Passes(2);
  Xdo("click 1");
  ASSERT_TRUE(Until([&] { return p.NamePanel.focus == &p.FirstNameEdit; }));
  Until([] { return false; }, 40);  // whatever the input method still sends arrives now
  EXPECT_EQ(std::pair(p.SecondNameEdit.text, p.FirstNameEdit.text),
            std::pair(S("やまだ"), std::string()));
  Xdo("type --delay 40 hana");
  ASSERT_TRUE(Until([&] { return p.FirstNameEdit.composition == "はな"; }))
      << "the input method goes on with the old composition";
  Xdo("key Return");
  ASSERT_TRUE(Until([&] { return p.FirstNameEdit.text == S("はな"); }));
  EXPECT_EQ(p.SecondNameEdit.text, S("やまだ"));
}

}  // namespace
}  // namespace velmor::platform::sdl
