// The name field's model: text entered at the caret within the byte limit,
// the input method's composition, and where a pending composition goes when
// the focus moves or a control of the panel is clicked.
#include <gtest/gtest.h>

#include "core/controls.h"
#include "core/sjis.h"
#include "menus_rig.h"

namespace velmor::testing {
namespace {

std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

TEST(NameField, CommitInsertsAtTheCaretWithinTheLimit) {
  struct Case {
    const char* what;
    std::string text;
    std::size_t anchor, caret;
    const char* typed;  // UTF-8
    std::string want;
    std::size_t want_caret;
    bool all_kept;
  };
  for (const Case& c : {
           Case{"into an empty field", "", 0, 0, "山田", S("山田"), 4, true},
           Case{"between two characters", "ab", 1, 1, "x", "axb", 2, true},
           Case{"before a double-byte character", S("山田"), 2, 2, "x", S("山x田"), 3, true},
           Case{"over the selection", "abcd", 1, 3, "山", S("a山d"), 3, true},
           Case{"over a selection made backwards", "abcd", 3, 1, "山", S("a山d"), 3, true},
           Case{"what fits of a long name", "", 0, 0, "山田太郎花子", S("山田太郎"), 8, false},
           Case{"a double-byte character into the last byte", "abcdefg", 7, 7, "山", "abcdefg", 7, false},
           Case{"stops at the first that does not fit", "abcdefg", 7, 7, "山x", "abcdefg", 7, false},
           Case{"into the middle of a full field", S("山田太郎"), 4, 4, "x", S("山田太郎"), 4, false},
           Case{"over a whole full field", S("山田太郎"), 0, 8, "abcdefghij", "abcdefgh", 8, false},
           Case{"half-width katakana, one byte each", "", 0, 0, "ｶﾀｶﾅﾃｽﾄｰ", S("ｶﾀｶﾅﾃｽﾄｰ"), 8, true},
           Case{"no Shift-JIS form: refused, the rest kept", "", 0, 0, "a\xC3\xA9" "b\xF0\x9F\x98\x80" "c", "abc", 3, false},
           Case{"control characters refused", "", 0, 0, "a\tb\n", "ab", 2, false},
           Case{"a stray byte is no character", "", 0, 0, "a\xFF" "b", "ab", 2, false},
           Case{"nothing: the selection stays", "abcd", 0, 4, "", "abcd", 4, true},
       }) {
    Edit e("Field", 8);
    e.text = c.text;
    e.Select(c.anchor, c.caret);
    e.Compose("やまだ", 3);
    EXPECT_EQ(e.Commit(c.typed), c.all_kept) << c.what;
    EXPECT_EQ(e.text, c.want) << c.what;
    EXPECT_EQ(e.caret, c.want_caret) << c.what;
    if (*c.typed) {
      EXPECT_EQ(e.anchor, e.caret) << c.what << ": no selection afterwards";
    }
    EXPECT_EQ(e.composition, "") << c.what;
    EXPECT_EQ(e.dropped, c.all_kept ? 0 : 1) << c.what;
  }
}

TEST(NameField, CaretsStayOnCharacterBoundaries) {
  struct Case {
    const char* what;
    std::size_t anchor, caret;
    std::size_t want_anchor, want_caret;
  };
  // "山a田": bytes 0-1, 2, 3-4.
  for (const Case& c : {
           Case{"on boundaries", 0, 3, 0, 3},
           Case{"inside a double-byte character", 1, 4, 0, 3},
           Case{"past the end", 9, 5, 5, 5},
       }) {
    Edit e("Field", 8);
    e.SetText(S("山a田"));
    e.Select(c.anchor, c.caret);
    EXPECT_EQ(e.anchor, c.want_anchor) << c.what;
    EXPECT_EQ(e.caret, c.want_caret) << c.what;
  }
}

TEST(NameField, TheCompositionIsNotTheText) {
  Edit e("Field", 8);
  e.SetText("ab");
  e.Select(1, 1);
  e.Compose("やまだ", 7);
  EXPECT_EQ(e.composition_caret, 3) << "the caret stays inside the composition";
  e.Compose("やまだ", -2);
  EXPECT_EQ(e.composition_caret, 0);
  EXPECT_EQ(e.text, "ab");
  e.SetText("xy");  // the game puts a text in: the input method goes on composing
  EXPECT_EQ(e.composition, "やまだ");
  EXPECT_EQ(e.caret, 2u);
  e.CommitComposition();
  EXPECT_EQ(e.text, S("xyやまだ"));
  EXPECT_EQ(e.composition, "");
  e.CommitComposition();  // nothing pending
  EXPECT_EQ(e.text, S("xyやまだ"));
  EXPECT_EQ(e.dropped, 0);
}

// Where a pending composition goes when the player moves on: into its own
// field, before anything else happens.
TEST(NameField, APendingCompositionStaysInItsOwnField) {
  enum Move { FocusOther, FocusSame, ClickOk, ClickDisabledOk, ClickInOtherPanel };
  struct Case {
    const char* what;
    Move move;
    std::string family, given;  // the fields afterwards
    const char* still_composing;
    std::string ok_saw;  // the family field as the OK handler saw it; "-" when it did not run
  };
  for (const Case& c : {
           Case{"the other field takes the focus", FocusOther, S("山田"), "", "", "-"},
           Case{"the field takes the focus again", FocusSame, "", "", "山田", "-"},
           Case{"OK clicked: committed before its handler", ClickOk, S("山田"), "", "", S("山田")},
           Case{"a disabled OK is no click", ClickDisabledOk, "", "", "山田", "-"},
           Case{"a control of another panel clicked", ClickInOtherPanel, "", "", "山田", "-"},
       }) {
    MenusRig m;
    menus::Panels& p = m.panels;
    m.names.OpenNamePanel(Sjis("ABC"), 0, 2);
    std::string ok_saw = "-";
    p.NameEntryButton.OnClick = [&] { ok_saw = p.SecondNameEdit.text; };
    p.ExitButton.OnClick = [] {};
    p.ConfigPanel.visible = true;
    ASSERT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
    p.SecondNameEdit.Compose("山田", 0);
    switch (c.move) {
      case FocusOther: p.NamePanel.SetFocus(&p.FirstNameEdit); break;
      case FocusSame: p.NamePanel.SetFocus(&p.SecondNameEdit); break;
      case ClickOk: p.NameEntryButton.Click(); break;
      case ClickDisabledOk:
        p.NameEntryButton.enabled = false;
        p.NameEntryButton.Click();
        break;
      case ClickInOtherPanel: p.ExitButton.Click(); break;
    }
    EXPECT_EQ(p.SecondNameEdit.text, c.family) << c.what;
    EXPECT_EQ(p.FirstNameEdit.text, c.given) << c.what;
    EXPECT_EQ(p.SecondNameEdit.composition, c.still_composing) << c.what;
    EXPECT_EQ(p.FirstNameEdit.composition, "") << c.what;
    EXPECT_EQ(ok_saw, c.ok_saw) << c.what;
  }
}

TEST(NameField, TheNamePanelOpensWithNothingPending) {
  MenusRig m;
  menus::Panels& p = m.panels;
  m.names.OpenNamePanel(Sjis("ABC"), 0, 2);
  p.SecondNameEdit.Compose("やま", 2);
  m.names.CloseNamePanel();  // as the scenario's own end of the panel would
  m.names.OpenNamePanel(Sjis("ABC"), 1, 3);
  EXPECT_EQ(p.SecondNameEdit.composition, "");
  EXPECT_EQ(p.SecondNameEdit.text, "");
  EXPECT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
}

// Enter in a field checks the names; when the family name is missing the
// focus goes there, taking the given name's composition with it into the
// given name field.
TEST(NameField, EnterMovesTheFocusThroughTheCommit) {
  MenusRig m;
  menus::Panels& p = m.panels;
  m.names.OpenNamePanel(Sjis("ABC"), 0, 2);
  p.NamePanel.SetFocus(&p.FirstNameEdit);
  p.FirstNameEdit.SetText(S("花"));
  p.FirstNameEdit.Compose("子", 1);
  m.names.FirstNameEditKeyPress();
  EXPECT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
  EXPECT_EQ(p.FirstNameEdit.text, S("花子"));
  EXPECT_EQ(p.SecondNameEdit.text, "");
}

}  // namespace
}  // namespace velmor::testing
