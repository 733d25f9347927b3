// The name panel: opening it, the OK/Enter checks with their focus rules,
// the defaults, Cancel, and the removal of blanks.
#include <gtest/gtest.h>

#include "core/sjis.h"
#include "menus_rig.h"

namespace velmor::testing {
namespace {

using menus::NamePanelLogic;
using scenario::WaitHandler;

std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

TEST(StripBlanks, RemovesEveryBlankAndKeepsEverythingElse) {
  struct Case {
    const char* what;
    std::string text;
    std::string want;
  };
  for (const Case& c : {
           Case{"nothing to remove", S("山田"), S("山田")},
           Case{"full-width space inside", S("山　田"), S("山田")},
           Case{"leading and trailing blanks", S("　 山田 　"), S("山田")},
           Case{"half-width blanks inside", "a b  c", "abc"},
           Case{"control bytes", std::string("a\tb\x01\x1f\r\nc"), "abc"},
           Case{"only blanks", S("　 　"), ""},
           Case{"half-width katakana kept", S("ｶﾜｲ ｱ"), S("ｶﾜｲｱ")},
           Case{"trail byte 0x40 of another character kept", "\x82\x40\x81\x41", "\x82\x40\x81\x41"},
           Case{"a trail byte that looks like a blank", "\x81\x20", "\x81\x20"},
           Case{"lone lead byte at the end dropped", std::string("ab\x82"), "ab"},
           Case{"lone lead byte after a blank", std::string(" \x81"), ""},
           Case{"0x7F and 0x80 kept", "\x7f\x80", "\x7f\x80"},
       }) {
    EXPECT_EQ(NamePanelLogic::StripBlanks(c.text), c.want) << c.what;
  }
}

TEST(OpenNamePanel, ShowsThePromptCentredAndWaits) {
  struct Case {
    const char* prompt;
    int32_t label_width;  // 20 a full-width character, 10 a half-width one
  };
  for (Case c : {Case{"貴男の名前を入力して下さい。", 280},
                 Case{"好きな人の名前を入力して下さい。", 320}, Case{"ABC", 30},
                 Case{"名前 A", 60}}) {
    MenusRig m;
    m.panels.FirstNameEdit.SetText("old");
    m.panels.SecondNameEdit.SetText("old");
    m.names.OpenNamePanel(Sjis(c.prompt), 1, 3);
    const Label& label = m.panels.NameLabel;
    EXPECT_EQ(label.caption, S(c.prompt));
    EXPECT_EQ(label.bounds, Rect::FromSize((401 - c.label_width) / 2, 8, c.label_width, 19))
        << c.prompt;
    EXPECT_EQ(m.panels.FirstNameEdit.text, "");
    EXPECT_EQ(m.panels.SecondNameEdit.text, "");
    EXPECT_EQ(m.names.NameGivenIndex, 1);
    EXPECT_EQ(m.names.NameFamilyIndex, 3);
    EXPECT_EQ(m.panels.NamePanel.focus, &m.panels.SecondNameEdit);
  }
}

// OK and Enter with the fields as typed: where the focus goes, what is
// stored and whether the panel closes.
TEST(NameEntry, ChecksBothFieldsFamilyNameFirst) {
  enum Key { Ok, EnterInGiven, EnterInFamily };
  struct Case {
    const char* what;
    std::string given, family;
    Key key;
    const char* focus;  // the control with the focus afterwards; "" when closed
    std::string stored_given, stored_family;  // entries 1 and 3 afterwards
  };
  const std::string kOldGiven = "oldgiven", kOldFamily = "oldfam";
  for (const Case& c : {
           Case{"only the given name, OK", S("花子"), "", Ok, "SecondNameEdit", kOldGiven, kOldFamily},
           Case{"only the family name, OK", "", S("山田"), Ok, "FirstNameEdit", kOldGiven, kOldFamily},
           Case{"neither, OK", "", "", Ok, "SecondNameEdit", kOldGiven, kOldFamily},
           Case{"blank given name, OK", S("　"), S("山田"), Ok, "FirstNameEdit", kOldGiven, kOldFamily},
           Case{"both, OK", S("花子"), S("山田"), Ok, "", S("花子"), S("山田")},
           Case{"both with blanks, OK", S(" 花 子"), S("山　田"), Ok, "", S("花子"), S("山田")},
           Case{"both, Enter in the given name", S("花子"), S("山田"), EnterInGiven, "NameEntryButton", kOldGiven, kOldFamily},
           Case{"both, Enter in the family name", S("花子"), S("山田"), EnterInFamily, "NameEntryButton", kOldGiven, kOldFamily},
           Case{"only the given name, Enter", S("花子"), "", EnterInGiven, "SecondNameEdit", kOldGiven, kOldFamily},
           Case{"only the family name, Enter", "", S("山田"), EnterInFamily, "FirstNameEdit", kOldGiven, kOldFamily},
       }) {
    MenusRig m;
    m.scn.mcr[1] = Sstr(kOldGiven);
    m.scn.mcr[3] = Sstr(kOldFamily);
    m.scn.work[0] = 5;
    m.names.OpenNamePanel(Sjis("好きな人の名前を入力して下さい。"), 1, 3);
    m.panels.FirstNameEdit.SetText(c.given);
    m.panels.SecondNameEdit.SetText(c.family);
    if (c.key == Ok) m.panels.NameEntryButton.Click();
    if (c.key == EnterInGiven) m.panels.FirstNameEdit.OnEnter();
    if (c.key == EnterInFamily) m.panels.SecondNameEdit.OnEnter();

    bool closed = std::string(c.focus).empty();
    EXPECT_EQ(m.panels.NamePanel.visible, !closed) << c.what;
    if (!closed) {
      ASSERT_NE(m.panels.NamePanel.focus, nullptr) << c.what;
      EXPECT_EQ(m.panels.NamePanel.focus->name, c.focus) << c.what;
      EXPECT_EQ(m.scn.work[0], 5) << c.what;
      EXPECT_EQ(m.scn.MainProc, WaitHandler::IdleWait) << c.what;
    } else {
      EXPECT_EQ(m.scn.work[0], 0) << c.what;
      EXPECT_EQ(m.scn.MainProc, WaitHandler::None) << c.what;
    }
    EXPECT_EQ(m.scn.mcr[1].str(), c.stored_given) << c.what;
    EXPECT_EQ(m.scn.mcr[3].str(), c.stored_family) << c.what;
    EXPECT_EQ(m.scn.mcr[0].str(), m.form.scn.mcr[0].str());
  }
}

// OK stores into the entries the prompt named and leaves the others; the
// defaults are those of the same entries and leave the panel open.
TEST(NameEntry, OkAndDefaultsUseTheEntriesOfThePrompt) {
  struct Case {
    int given, family;
    const char* default_given;
    const char* default_family;
  };
  for (Case c : {Case{0, 2, "taro", "YAMA"}, Case{1, 3, "hanako", "KAWA"}}) {
    MenusRig m;
    std::array<Sstr, 4> before{m.scn.mcr[0], m.scn.mcr[1], m.scn.mcr[2], m.scn.mcr[3]};
    m.names.OpenNamePanel(Sjis("ABC"), c.given, c.family);
    m.panels.DefNameButton.Click();
    EXPECT_EQ(m.panels.FirstNameEdit.text, c.default_given);
    EXPECT_EQ(m.panels.SecondNameEdit.text, c.default_family);
    EXPECT_TRUE(m.panels.NamePanel.visible) << "the defaults leave the panel open";
    m.panels.FirstNameEdit.SetText(S("GI VEN"));
    m.panels.SecondNameEdit.SetText("FAMILY");
    m.panels.NameEntryButton.Click();
    EXPECT_EQ(m.panels.FirstNameEdit.text, "GIVEN") << "the field keeps its text without blanks";
    for (int e = 0; e < 4; ++e) {
      std::string want = e == c.given ? "GIVEN" : e == c.family ? "FAMILY" : before[e].str();
      EXPECT_EQ(m.scn.mcr[e].str(), want) << "entry " << e;
    }
  }
}

}  // namespace
}  // namespace velmor::testing
