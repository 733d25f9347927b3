// The name fields in the real front end, with an input method's events
// injected: typing within the byte limit, where a pending composition goes
// when the keyboard moves on, the keys a field keeps, text typed at the
// caret, the keyboard following the focus, and the sign of dropped characters.
#include <gtest/gtest.h>

#include "core/sjis.h"
#include "platform/sdl/front_end.h"
#include "sdl_rig.h"

namespace velmor::platform::sdl {
namespace {

using testing::SdlRig;

std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

// The real front end with the name panel open, the family name field
// having the keyboard.
struct NameRig {
  NameRig() {
    rig.front->Start();
    p.NamePanel.MoveTo(300, 400);
    p.NamePanel.visible = true;
    p.NamePanel.SetFocus(&p.SecondNameEdit);
    rig.Passes(3);  // drawn, and the field has the keyboard
  }
  SdlRig rig;
  menus::Panels& p = rig.game.panels;
};

class NameFieldImeTest : public ::testing::Test, protected NameRig {
 protected:
  int Count(const std::string& line) const { return rig.game.Count(line); }
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
    p.SecondNameEdit.SetText("");
    p.FirstNameEdit.SetText("");
    p.NamePanel.SetFocus(&p.SecondNameEdit);
    rig.Passes(3);
    rig.Composition(c.composition.c_str(), 1, 2);
    rig.Click(SdlRig::Centre(p.FirstNameEdit), 3);
    EXPECT_EQ(p.NamePanel.focus, &p.FirstNameEdit) << c.what;
    for (const std::string& text : c.then) rig.Text(text.c_str(), 3);
    EXPECT_EQ(p.SecondNameEdit.text, Utf8ToSjis(c.composition).substr(0, 8)) << c.what;
    EXPECT_EQ(p.SecondNameEdit.composition, "") << c.what;
    EXPECT_EQ(p.FirstNameEdit.text, c.given) << c.what;
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
  EXPECT_EQ(p.SecondNameEdit.text, S("やま"));
  EXPECT_EQ(p.SecondNameEdit.composition, "");

  std::string seen = "-";
  p.NameEntryButton.OnClick = [&] { seen = p.SecondNameEdit.text; };
  rig.Passes(2);
  rig.Composition("だ", 1, 2);
  rig.Click(SdlRig::Centre(p.NameEntryButton), 3);
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
  EXPECT_EQ(Count("KeyDown 0"), 0);
  EXPECT_EQ(Count("KeyUp"), 0);

  p.SecondNameEdit.SetText("ac");  // as the default names button does
  rig.Passes(3);
  rig.Press(SDLK_LEFT, 2);
  rig.Text("b", 2);
  rig.Composition("山", 1);  // shown at the caret, committed there
  rig.Passes(2);
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
  EXPECT_EQ(Count("KeyDown 0"), 1) << "keys go to the game again";
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
    r.rig.Text(t.text);
    if (*t.composition) r.rig.Composition(t.composition, 1);
    r.rig.Passes(2);
    if (*t.composition) {
      EXPECT_FALSE(r.rig.front->panel_view().Flashing()) << "nothing is dropped while composing";
      r.rig.Click(SdlRig::Centre(r.p.FirstNameEdit), 3);
    }
    EXPECT_EQ(r.p.SecondNameEdit.text, S(t.field));
    EXPECT_EQ(r.rig.front->panel_view().Flashing(), t.flashing);
  }
}

}  // namespace
}  // namespace velmor::platform::sdl
