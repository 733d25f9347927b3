// The name fields in the real front end with an input method's events
// injected: where a pending composition goes when the player clicks on, what
// Escape does, text typed at the caret, and the sign of dropped characters.
#include <gtest/gtest.h>

#include "core/sjis.h"
#include "platform/sdl/front_end.h"
#include "sdl_rig.h"

namespace velmor::platform::sdl {
namespace {

using testing::SdlRig;

std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

class NameFieldImeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.front->Start();
    p.NamePanel.MoveTo(300, 400);
    p.NamePanel.visible = true;
    p.NamePanel.SetFocus(&p.SecondNameEdit);
    rig.Passes(3);  // drawn, and the field has the keyboard
  }
  int Count(const std::string& line) const {
    return static_cast<int>(std::count(rig.game.log.begin(), rig.game.log.end(), line));
  }

  SdlRig rig;
  menus::Panels& p = rig.game.panels;
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
  for (const Case& c : {
           Case{"the echo", "やまだ", {"やまだ"}, ""},
           Case{"an echo in pieces", kLong, {"わたなべたろうざえも", "ん"}, ""},
           Case{"other text", "やまだ", {"はな"}, S("はな")},
           Case{"the echo only once", "やま", {"やま", "やま"}, S("やま")},
       }) {
    SdlRig& r = rig;
    p.SecondNameEdit.SetText("");
    p.FirstNameEdit.SetText("");
    p.NamePanel.SetFocus(&p.SecondNameEdit);
    r.Passes(3);
    r.Composition(c.composition.c_str(), 1);
    r.Passes(2);
    r.Click(SdlRig::Centre(p.FirstNameEdit));
    r.Passes(3);
    EXPECT_EQ(p.NamePanel.focus, &p.FirstNameEdit) << c.what;
    for (const std::string& text : c.then) r.Text(text.c_str());
    r.Passes(3);
    EXPECT_EQ(p.SecondNameEdit.text, Utf8ToSjis(c.composition).substr(0, 8)) << c.what;
    EXPECT_EQ(p.SecondNameEdit.composition, "") << c.what;
    EXPECT_EQ(p.FirstNameEdit.text, c.given) << c.what;
  }
}

TEST_F(NameFieldImeTest, OkWhileComposingTakesTheComposition) {
  std::string seen = "-";
  p.NameEntryButton.OnClick = [&] { seen = p.SecondNameEdit.text; };
  rig.Text("山");
  rig.Composition("だ", 1);
  rig.Passes(2);
  rig.Click(SdlRig::Centre(p.NameEntryButton));
  rig.Passes(3);
  EXPECT_EQ(seen, S("山だ"));
}

TEST_F(NameFieldImeTest, ABoxThatTakesTheKeyboardTakesTheCompositionIntoTheField) {
  rig.Composition("やまだ", 3);
  rig.Passes(2);
  MessageBoxModel box("text", MessageKind::Information, Buttons::Ok);
  rig.game.on_pass = [&] { rig.Press(SDLK_RETURN); };
  rig.front->RunMessageBox(box);
  rig.game.on_pass = nullptr;
  EXPECT_EQ(p.SecondNameEdit.text, S("やまだ"));
  EXPECT_EQ(p.SecondNameEdit.composition, "");
}

// Escape would put an edit control back to its text of when it took the
// focus; in a name field it changes nothing.
TEST_F(NameFieldImeTest, EscapeNeverErasesAName) {
  rig.Text("山田");
  rig.Passes(2);
  rig.Press(SDLK_ESCAPE);
  rig.Passes(3);
  EXPECT_EQ(p.SecondNameEdit.text, S("山田"));
  EXPECT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
  EXPECT_EQ(Count("KeyDown 0"), 0) << "the field's keys are not the game's";
}

TEST_F(NameFieldImeTest, TextGoesInAtTheCaret) {
  rig.Text("ac");
  rig.Passes(2);
  rig.Press(SDLK_LEFT);
  rig.Passes(2);
  rig.Text("b");
  rig.Passes(2);
  rig.Composition("山", 1);  // shown at the caret, committed there
  rig.Passes(2);
  rig.Text("山");
  rig.Passes(2);
  EXPECT_EQ(p.SecondNameEdit.text, S("ab山c"));
  EXPECT_EQ(p.SecondNameEdit.caret, 4u);
}

// Characters that do not go in (past the byte limit, or without a
// Shift-JIS form) make the field's frame flash a moment.
TEST_F(NameFieldImeTest, TextThatFitsShowsNoSign) {
  rig.Text("山田");
  rig.Passes(2);
  EXPECT_EQ(p.SecondNameEdit.text, S("山田"));
  EXPECT_FALSE(rig.front->panel_view().Flashing());
}

TEST_F(NameFieldImeTest, TextPastTheLimitFlashesTheField) {
  rig.Text("山田太郎花");
  rig.Passes(2);
  EXPECT_EQ(p.SecondNameEdit.text, S("山田太郎"));
  EXPECT_TRUE(rig.front->panel_view().Flashing());
}

TEST_F(NameFieldImeTest, ARefusedCharacterFlashesTheField) {
  rig.Text("a\xC3\xA9");  // "aé"
  rig.Passes(2);
  EXPECT_EQ(p.SecondNameEdit.text, "a");
  EXPECT_TRUE(rig.front->panel_view().Flashing());
}

TEST_F(NameFieldImeTest, ACompositionTakenIntoAFullFieldFlashesIt) {
  rig.Text("山田太");
  rig.Composition("郎花", 2);
  rig.Passes(2);
  EXPECT_FALSE(rig.front->panel_view().Flashing());
  rig.Click(SdlRig::Centre(p.FirstNameEdit));
  rig.Passes(3);
  EXPECT_EQ(p.SecondNameEdit.text, S("山田太郎"));
  EXPECT_TRUE(rig.front->panel_view().Flashing());
}

}  // namespace
}  // namespace velmor::platform::sdl
