// The panels: where each opens and how it closes, the name panel and its
// fields' byte limit and composition, where the controls stand, how the focus
// moves, the keys on the bare models, and the message box's answers.
#include <gtest/gtest.h>

#include "core/controls.h"
#include "menus/control_keys.h"
#include "menus/message_box_model.h"
#include "menus/panel_focus.h"
#include "menus/panel_layout.h"
#include "menus/sjis_edit_limit.h"
#include "menus_rig.h"

namespace velmor::testing {
namespace {

using namespace menus;
using scenario::WaitHandler;

// The save and name panels open centred, lowered by 120, holding the scenario; the settings
// panel at the pointer (`at`, then `again`), kept inside the screen. The name prompt is centred
// (20 pixels a full-width character) over fresh fields. Every close lets the scenario go on and
// hides the pointer however often shown; a cancel answers 1 and keeps the names.
TEST(Panels, OpenWhereTheyBelongAndCloseWithTheGamesSteps) {
  struct Case { Size screen; const char* panel; Point want, at{}, again{-1, -1}; };
  const Size big{1024, 768};
  const Case cases[] = {
      {big, "SavePanel", {215, 443}}, {{500, 300}, "SavePanel", {-46, 209}},
      {big, "NamePanel", {311, 448}}, {{400, 100}, "NamePanel", {0, 114}},
      {big, "ConfigPanel", {100, 200}, {100, 200}}, {big, "ConfigPanel", {624, 620}, {625, 621}},
      {big, "ConfigPanel", {624, 10}, {1023, 10}}, {big, "ConfigPanel", {0, 0}, {-5, -9}},
      {big, "ConfigPanel", {624, 620}, {10, 10}, {900, 700}},
      {{320, 100}, "ConfigPanel", {0, 0}, {50, 50}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.panel << " " << c.want.x << "," << c.want.y);
    MenusRig m(c.screen);
    Panels& p = m.panels;
    const Panel& panel = *static_cast<Panel*>(p.Find(c.panel));
    const bool save = &panel == &p.SavePanel, name = &panel == &p.NamePanel, holds = save || name;
    m.input.spf = holds, m.input.HoldMode = 1, m.scn.work[0] = 5;  // spf: the settings panel's own
    m.scn.mcr[0] = Sstr("keep0"), m.scn.mcr[2] = Sstr("keep2");
    p.FirstNameEdit.SetText("old"), p.SecondNameEdit.Compose("やま", 2);
    if (save) m.saves.OpenSaveMenu(1, 5, 6);
    if (name) m.form.names.OpenNamePanel(Sjis("名前 A"), 0, 2);
    if (!holds) m.form.config.OpenAt(c.at);
    if (c.again.x >= 0) m.form.config.OpenAt(c.again);
    EXPECT_EQ((Point{panel.bounds.left, panel.bounds.top}), c.want);
    EXPECT_EQ(std::tuple(panel.visible, m.input.spf, m.window.CursorCount(), m.input.CGHoldEnable,
                         m.scn.MainProc),
              std::tuple(true, 0, c.again.x >= 0 ? 1 : 0, holds ? 0 : 1,
                         holds ? WaitHandler::IdleWait : WaitHandler::None));
    EXPECT_TRUE(!holds || panel.repaints == 1) << "painted once before it shows";
    if (name) {
      EXPECT_EQ(std::tuple(p.NameLabel.caption, p.NameLabel.bounds,
                           p.FirstNameEdit.text + p.SecondNameEdit.composition, panel.focus),
                std::tuple(S("名前 A"), Rect::FromSize((401 - 60) / 2, 8, 60, 19), "",
                           &p.SecondNameEdit));
    }
    p.FirstNameEdit.SetText("new"), p.SecondNameEdit.SetText("new");
    m.input.clk = m.input.drg = m.input.sft = 1;
    p.Find(save ? "SaveCancelButton" : name ? "NameCancelButton" : "ExitButton")->Click();
    EXPECT_EQ(std::tuple(panel.visible, m.input.spf, m.input.clk + m.input.drg + m.input.sft,
                         m.window.CursorCount(), m.window.SystemPointerVisible(), m.scn.MainProc,
                         m.input.CGHoldEnable, m.scn.mcr[0].str() + m.scn.mcr[2].str()),
              std::tuple(false, 1, 0, -1, false, WaitHandler::None, 1, "keep0keep2"));
    EXPECT_EQ(std::pair(int{m.scn.work[0]}, m.input.HoldMode), std::pair(holds ? 1 : 5, int{holds}))
        << "the settings panel ends the hold";
  }
}

TEST(StripBlanks, RemovesEveryBlankAndKeepsEverythingElse) {
  for (auto [text, want] : std::vector<std::pair<std::string, std::string>>{
           {S("　 山田 　"), S("山田")}, {S("山　田"), S("山田")}, {"a b  c", "abc"},
           {"a\tb\x01\x1f\r\nc", "abc"}, {S("　 　"), ""}, {S("ｶﾜｲ ｱ"), S("ｶﾜｲｱ")},
           {"\x82\x40\x81\x41", "\x82\x40\x81\x41"},  // trail byte 0x40 of another character
           {"\x81\x20", "\x81\x20"},                  // a trail byte that looks like a blank
           {"ab\x82", "ab"}, {" \x81", ""},           // lone lead bytes
           {"\x7f\x80", "\x7f\x80"}})
    EXPECT_EQ(NamePanelLogic::StripBlanks(text), want) << SjisToUtf8(text);
}

// OK and Enter with the fields as typed: where the focus goes, what is stored, whether it closes;
// a field that OK (or Enter) found empty is told to show it (its frame flashes), the other is not.
TEST(NameEntry, ChecksBothFieldsFamilyNameFirst) {
  enum Key { Ok, EnterInGiven, EnterInFamily };
  struct Case { std::string given, family; Key key; const char* focus; };  // focus "": closed
  const std::string hanako = S("花子"), yamada = S("山田");
  for (const Case& c : {
           Case{hanako, "", Ok, "SecondNameEdit"}, Case{"", yamada, Ok, "FirstNameEdit"},
           Case{"", "", Ok, "SecondNameEdit"}, Case{S("　"), yamada, Ok, "FirstNameEdit"},
           Case{hanako, yamada, Ok, ""}, Case{S(" 花 子"), S("山　田"), Ok, ""},
           Case{hanako, yamada, EnterInGiven, "NameEntryButton"},
           Case{hanako, yamada, EnterInFamily, "NameEntryButton"},
           Case{hanako, "", EnterInGiven, "SecondNameEdit"},
           Case{"", yamada, EnterInFamily, "FirstNameEdit"}}) {
    SCOPED_TRACE(SjisToUtf8(c.given + "/" + c.family) + " key " + std::to_string(c.key));
    MenusRig m;
    Panels& p = m.panels;
    m.scn.mcr[1] = Sstr("oldgiven"), m.scn.mcr[3] = Sstr("oldfam"), m.scn.work[0] = 5;
    m.form.names.OpenNamePanel(Sjis("ABC"), 1, 3);
    p.FirstNameEdit.SetText(c.given), p.SecondNameEdit.SetText(c.family);
    if (c.key == Ok) p.NameEntryButton.Click();
    else (c.key == EnterInGiven ? p.FirstNameEdit : p.SecondNameEdit).OnEnter();
    const Control* focus = p.NamePanel.visible ? p.NamePanel.focus : nullptr;
    EXPECT_EQ(focus ? focus->name : "", c.focus);
    const bool empty_field = std::string(c.focus).ends_with("Edit");
    EXPECT_EQ(std::pair(p.SecondNameEdit.wanted, p.FirstNameEdit.wanted),
              std::pair(empty_field && focus == &p.SecondNameEdit ? 1 : 0,
                        empty_field && focus == &p.FirstNameEdit ? 1 : 0));
    const auto kept = std::tuple(5, WaitHandler::IdleWait, std::string("oldgiven"), "oldfam");
    EXPECT_EQ(std::tuple(int{m.scn.work[0]}, m.scn.MainProc, m.scn.mcr[1].str(),
                         m.scn.mcr[3].str()),
              *c.focus ? kept : std::tuple(0, WaitHandler::None, hanako, yamada.c_str()));
  }
}

// The defaults are the prompt's entries' and leave the panel open; OK stores into those only.
TEST(NameEntry, OkAndDefaultsUseTheEntriesOfThePrompt) {
  for (auto [given, family, defaults] : {std::tuple{0, 2, "taro/YAMA"}, {1, 3, "hanako/KAWA"}}) {
    MenusRig m;
    Panels& p = m.panels;
    auto want = m.scn.mcr;
    m.form.names.OpenNamePanel(Sjis("ABC"), given, family);
    p.DefNameButton.Click();
    EXPECT_EQ(p.FirstNameEdit.text + "/" + p.SecondNameEdit.text, defaults);
    EXPECT_TRUE(p.NamePanel.visible);
    p.FirstNameEdit.SetText("GI VEN"), p.NameEntryButton.Click();
    EXPECT_EQ(p.FirstNameEdit.text, "GIVEN") << "left without blanks";
    want[given] = Sstr("GIVEN"), want[family] = Sstr(p.SecondNameEdit.text);
    EXPECT_EQ(m.scn.mcr, want);
  }
}

// Text committed at the caret (the selection snapped to characters) within 8 Shift-JIS bytes.
TEST(NameField, CommitInsertsAtTheCaretWithinTheLimit) {
  struct Case { std::string text; std::size_t anchor, caret; const char* typed; std::string want;
                std::size_t want_caret; bool all_kept; };  // typed: UTF-8
  const Case cases[] = {
      {"", 0, 0, "山田", S("山田"), 4, true}, {"ab", 1, 1, "x", "axb", 2, true},
      {S("山田"), 2, 2, "x", S("山x田"), 3, true}, {"", 0, 0, "a\tb\n", "ab", 2, false},
      {"abcd", 1, 3, "山", S("a山d"), 3, true}, {"abcd", 3, 1, "山", S("a山d"), 3, true},  // selected
      {S("山a田"), 1, 4, "x", S("x田"), 1, true},        // selection ends inside characters
      {S("山a田"), 9, 5, "x", S("山a田x"), 6, true},     // caret past the end
      {"", 0, 0, "山田太郎花子", S("山田太郎"), 8, false},  // what fits of a long name
      {"abcdefg", 7, 7, "山", "abcdefg", 7, false}, {"abcdefg", 7, 7, "山x", "abcdefg", 7, false},
      {S("山田太郎"), 4, 4, "x", S("山田太郎"), 4, false},  // into the middle of a full field
      {S("山田太郎"), 0, 8, "abcdefghij", "abcdefgh", 8, false},
      {"", 0, 0, "ｶﾀｶﾅﾃｽﾄｰ", S("ｶﾀｶﾅﾃｽﾄｰ"), 8, true},      // half-width katakana, one byte each
      {"", 0, 0, "a\xC3\xA9" "b\xF0\x9F\x98\x80" "c", "abc", 3, false},  // no Shift-JIS form
      {"", 0, 0, "a\xFF" "b", "ab", 2, false},           // a stray byte is no character
      {"", 0, 0, "a\x7F" "b\xC2\x85" "c\xED\xA0\x80", "abc", 3, false},  // DEL, C1, surrogate
      {"abcd", 0, 4, "", "abcd", 4, true}};              // nothing: the selection stays
  for (const Case& c : cases) {
    SCOPED_TRACE(SjisToUtf8(c.text) + " <- " + c.typed);
    Edit e("Field", 8);
    e.text = c.text, e.Select(c.anchor, c.caret), e.Compose("やまだ", 3);
    const bool kept = e.Commit(c.typed);
    EXPECT_EQ(std::tuple(kept, e.text, e.anchor, e.caret, e.composition, e.dropped),
              std::tuple(c.all_kept, c.want, *c.typed ? c.want_caret : c.anchor, c.want_caret, "",
                         c.all_kept ? 0 : 1));
  }
  Edit e("Field", 8);
  e.SetText(S("山a田"));
  e.Select(1, 4);
  EXPECT_EQ(std::pair(e.anchor, e.caret), (std::pair<std::size_t, std::size_t>(0, 3)))
      << "snapped to characters";
  auto set = [&e](const std::string& text) { return e.SetText(text), e.text; };
  EXPECT_EQ(set(S("山田太郎")) + "/" + set(S("a山田太郎")), S("山田太郎/a山田太")) << "what fits";
  // The composition is not the text: the game may put a text in meanwhile.
  auto caret = [&e](int at) { return e.Compose("やまだ", at), e.composition_caret; };
  EXPECT_EQ(std::pair(caret(7), caret(-2)), std::pair(3, 0)) << "kept inside the composition";
  e.SetText("xy"), e.CommitComposition(), e.CommitComposition();  // the second: nothing pending
  EXPECT_EQ(e.text + e.composition, S("xyやまだ"));
}

// A pending composition goes into its own field before anything else happens.
TEST(NameField, APendingCompositionStaysInItsOwnField) {
  enum Move { FocusOther, FocusSame, ClickOk, ClickDisabledOk, ClickInOtherPanel };
  // ok_saw: the family field as the OK handler saw it; "-" when it did not run.
  struct Case { Move move; std::string family; const char* still_composing; std::string ok_saw; };
  const std::string yamada = S("山田");
  for (const Case& c : {Case{FocusOther, yamada, "", "-"}, Case{FocusSame, "", "山田", "-"},
                        Case{ClickOk, yamada, "", yamada}, Case{ClickDisabledOk, "", "山田", "-"},
                        Case{ClickInOtherPanel, "", "山田", "-"}}) {
    SCOPED_TRACE(c.move);
    MenusRig m;
    Panels& p = m.panels;
    m.form.names.OpenNamePanel(Sjis("ABC"), 0, 2);
    std::string ok_saw = "-";
    p.NameEntryButton.OnClick = [&] { ok_saw = p.SecondNameEdit.text; };
    p.ExitButton.OnClick = [] {}, p.ConfigPanel.visible = true;
    p.SecondNameEdit.Compose("山田", 0), p.NameEntryButton.enabled = c.move != ClickDisabledOk;
    if (c.move == FocusOther || c.move == FocusSame)
      p.NamePanel.SetFocus(c.move == FocusOther ? &p.FirstNameEdit : &p.SecondNameEdit);
    if (c.move == ClickOk || c.move == ClickDisabledOk) p.NameEntryButton.Click();
    if (c.move == ClickInOtherPanel) p.ExitButton.Click();
    EXPECT_EQ(std::tuple(p.SecondNameEdit.text, p.FirstNameEdit.text + p.FirstNameEdit.composition,
                         p.SecondNameEdit.composition, ok_saw),
              std::tuple(c.family, "", c.still_composing, c.ok_saw));
  }
}

// The SDL field's edits within the limit: the UTF-8 kept and the caret in it; what the field takes.
TEST(EditLimit, KeepsWhatFits) {
  struct Case { const char *before, *after; std::size_t limit; const char* kept; std::size_t cursor;
                bool cut; };
  for (const Case& c : {Case{"あいうa", "あいうaか", 8, "あいうa", 10, true},
                        Case{"abcdefg", "abc山defg", 8, "abcdefg", 3, true},
                        Case{"", "山田太郎花子", 10, "山田太郎花", 15, true},
                        Case{"", "ｱｲｳｴｵｶｷｸｹ", 8, "ｱｲｳｴｵｶｷｸ", 24, true},
                        Case{"あいうえ", "あかきくけえ", 8, "あかきえ", 9, true},
                        Case{"1234567", "1234567\\", 8, "1234567\\", 8, false},
                        Case{"ああああ", "あああああ", 8, "ああああ", 12, true},
                        Case{"あいうえおか", "あいうえおかき", 8, "あいうえ", 12, true}}) {  // too long before
    LimitedEdit r = LimitSjisEdit(c.before, c.after, c.limit);
    EXPECT_EQ(std::tuple(r.utf8, r.cursor, r.cut), std::tuple(c.kept, c.cursor, c.cut)) << c.after;
  }
  EXPECT_TRUE(AcceptsChar(U'　') && AcceptsChar(U'Ａ') && !AcceptsChar(U'한') && !AcceptsChar(0x85));
}

// Tab and Shift+Tab through each visible panel's usable stops; the group box is one stop that
// gives the focus to its checked (or first usable) button; the arrows step round its usable
// buttons. Rectangles add up through the parents; list rows are 15 pixels.
TEST(BarePanels, TabWalksThePanelsStopsInOrderAndThePointerFindsThem) {
  Panels p;
  p.ConfigPanel.MoveTo(100, 50), p.ConfigPanel.visible = p.NamePanel.visible = true;
  auto walk = [&p](const Panel& panel, Control* from, int n, bool backwards = false) {
    std::string names;  // those the focus visits
    for (; n > 0; --n)
      from = NextFocus(p, panel, from, backwards), names += from ? from->name + " " : "-";
    return names;
  };
  EXPECT_EQ(walk(p.ConfigPanel, nullptr, 7),
            "ExitButton SpeedSpin ResoSpin MouseSpin WaveBtn EndButton ExitButton ");
  EXPECT_EQ(walk(p.ConfigPanel, &p.ExitButton, 3, true), "EndButton WaveBtn MouseSpin ");
  EXPECT_EQ(walk(p.NamePanel, nullptr, 5),
            "FirstNameEdit SecondNameEdit NameEntryButton DefNameButton NameCancelButton ");
  p.MidiBtn2.SetChecked();
  EXPECT_EQ(walk(p.ConfigPanel, &p.MouseSpin, 2) + walk(p.ConfigPanel, &p.MidiBtn2, 1, true),
            "MidiBtn2 EndButton MouseSpin ");
  p.MidiBtn2.enabled = p.MidiBtn.enabled = p.ResoSpin.enabled = false;
  EXPECT_EQ(FocusTargetOf(p, &p.SoundGroupBox), &p.WaveBtn);
  EXPECT_EQ(walk(p.ConfigPanel, &p.SpeedSpin, 1) + walk(p.ConfigPanel, &p.MouseSpin, 1, true),
            "MouseSpin SpeedSpin ");
  p.NamePanel.visible = false;
  EXPECT_EQ(walk(p.NamePanel, nullptr, 1), "-");
  EXPECT_EQ(NextRadio(p.MuteBtn, false), &p.WaveBtn);
  EXPECT_EQ(NextRadio(p.WaveBtn, true), &p.MuteBtn);
  p.MuteBtn.enabled = false;
  EXPECT_EQ(NextRadio(p.WaveBtn, false), &p.WaveBtn) << "nowhere else to go";
  EXPECT_EQ(WindowRect(p.WaveBtn), Rect::FromSize(100 + 24 + 16, 50 + 8 + 24, 121, 17));
  for (auto [at, over] : {std::pair{Point{100, 50}, true}, {{499, 197}, true}, {{500, 100}, false},
                          {{99, 60}, false}})
    EXPECT_EQ(PanelAt(p, at), over ? &p.ConfigPanel : nullptr) << at.x << "," << at.y;
  p.ConfigPanel.visible = false;
  EXPECT_EQ(PanelAt(p, {200, 100}), nullptr);
  EXPECT_FALSE(AnyPanelVisible(p));
  p.SaveList.rows.assign(6, "row");
  for (auto [y, row] : {std::pair{0, 0}, {14, 0}, {15, 1}, {89, 5}, {90, -1}, {-1, -1}})
    EXPECT_EQ(ListRowAt(p.SaveList, y, 15), row) << "y " << y;
}

// The top-most visible panel has the keyboard; a focus on another panel's or a disabled control
// settles on its first stop. A key comes back as an action, run later; Escape is no panel key; a
// name field keeps its keys but Tab (Enter comes through PressFieldKey).
TEST(BarePanels, KeysComeBackAsActionsOnTheSettledFocus) {
  Panels p;
  std::vector<PanelAction> actions;
  auto press = [&](ControlKey key) { return PressPanelKey(p, key, actions); };
  p.ConfigPanel.visible = true;
  int clicks = 0;
  p.ExitButton.OnClick = [&clicks] { ++clicks; };
  p.ConfigPanel.focus = &p.SaveButton;
  EXPECT_TRUE(press(ControlKey::Enter));
  ASSERT_EQ(std::tuple(p.ConfigPanel.focus, actions.size(), clicks),
            std::tuple(&p.ExitButton, 1u, 0));
  RunPanelAction(actions[0]);
  EXPECT_EQ(clicks, 1);
  p.ConfigPanel.focus = &p.SpeedSpin, p.SpeedSpin.enabled = false;
  EXPECT_EQ(FocusedControl(p), &p.ExitButton);
  for (Control* c : std::initializer_list<Control*>{&p.ExitButton, &p.ResoSpin, &p.WaveBtn}) {
    p.ConfigPanel.SetFocus(c);
    EXPECT_FALSE(press(ControlKey::Escape)) << c->name;
  }
  p.NamePanel.visible = true, p.NamePanel.focus = &p.SecondNameEdit;
  EXPECT_EQ(ActivePanel(p), &p.NamePanel);
  EXPECT_FALSE(press(ControlKey::Enter) || press(ControlKey::Space) ||
               PressFieldKey(p, ControlKey::Space, actions));
  ASSERT_TRUE(PressFieldKey(p, ControlKey::Enter, actions) && actions.size() == 2);
  EXPECT_EQ(std::pair(actions[1].kind, actions[1].control),
            std::pair(PanelAction::Kind::Enter, static_cast<Control*>(&p.SecondNameEdit)));
  EXPECT_TRUE(press(ControlKey::Tab));
  EXPECT_EQ(p.NamePanel.focus, &p.NameEntryButton);
  EXPECT_FALSE(PressFieldKey(p, ControlKey::Enter, actions)) << "a button is no field";
  p.NamePanel.visible = p.ConfigPanel.visible = false;
  EXPECT_FALSE(press(ControlKey::Tab) || press(ControlKey::Enter));
  EXPECT_EQ(FocusedControl(p), nullptr);
}

// A name field 100 pixels wide keeps a composition's end and caret in sight, its start if it fits.
TEST(CompositionScroll, KeepsTheCaretAndAsMuchOfTheCompositionAsFitsInSight) {
  for (auto [head, composed, caret, want] : std::vector<std::array<int, 4>>{
           {20, 40, 40, 0}, {40, 59, 59, 0}, {60, 60, 60, 21}, {0, 150, 150, 51}, {0, 150, 30, 30},
           {40, 150, 0, 40}, {0, 150, 400, 51}})
    EXPECT_EQ(CompositionScroll(head, composed, caret, 100), want) << head << " " << composed;
}

// The keys by the input script's names. With OK alone, Escape and the close button answer OK.
TEST(MessageBox, AnswersTheKeysAndTheCloseButton) {
  struct Case { Buttons buttons; Names keys; Answer answer; };
  const Buttons two = Buttons::OkCancel;
  const Answer ok = Answer::Ok, cancel = Answer::Cancel;
  const Case cases[] = {
      {two, {"escape"}, cancel}, {two, {"tab", "enter"}, cancel},
      {two, {"tab", "tab", "escape"}, cancel}, {two, {"shift+tab", "space"}, cancel},
      {two, {"right", "left", "enter"}, ok}, {two, {"tab", "up", "down", "enter"}, cancel},
      {Buttons::Ok, {"escape"}, ok}, {Buttons::Ok, {"tab", "space"}, ok}};
  for (const Case& c : cases) {
    MessageBoxModel box("text", MessageKind::Confirmation, c.buttons);
    for (const std::string& name : c.keys) {
      ASSERT_FALSE(box.answer().has_value()) << name << ": answered before the last key";
      box.Key(ControlKeyNamed(name).value());
    }
    EXPECT_EQ(box.answer(), c.answer) << c.keys.size() << " keys from " << c.keys[0];
  }
  MessageBoxModel box("", MessageKind::Confirmation, two), one("", MessageKind::Error, Buttons::Ok);
  box.Close(), one.Close();
  EXPECT_EQ(std::tuple(box.answer(), one.answer(), std::string(box.ButtonLabel(1))),
            std::tuple(cancel, ok, "ｷｬﾝｾﾙ"));
}

}  // namespace
}  // namespace velmor::testing
