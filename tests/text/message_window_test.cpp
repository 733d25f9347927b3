// The message window: typing, waits, speakers, the speed, the choices.
#include <gtest/gtest.h>

#include "text/text_rig.h"

namespace velmor::testing {
namespace {

using scenario::ChoiceList;
using scenario::WaitHandler;
using text::kBlinkIconRect;
using XY = std::pair<int32_t, int32_t>;
using At = std::tuple<std::size_t, int32_t, int32_t>;  // character index, x, y

// Typed at a speed (96 at the start), the characters come so many a tick; the
// budget's remainder carries over. The skip key shows each page for a tick.
TEST(TypeTextTest, CharactersPerTickFollowTheSpeed) {
  struct Case { int spd; int32_t sft; std::string text; std::vector<std::size_t> per_tick; };
  const Case cases[] = {
      {96, 0, Repeat(S("あ"), 40), {6, 6, 6, 6, 6, 6, 4}},
      {40, 0, Repeat("a", 10), {2, 3, 2, 3}},  // two and a half a tick
      {0, 0, Repeat(S("あ"), 90), {90}},        // a page at once
      {96, 0, "AB\x05", {2}},                   // a wait as the last byte waits for nothing
      // A page wait; an overflow (the rest of the first row, two more rows of
      // 62, one character on the new page); the end.
      {96, kSkipKey, "A\x05" + Repeat("b", 187) + "cc", {1, 61 + 62 + 62 + 1, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.size());
    TextRig rig;
    rig.input.sft = c.sft;
    rig.win.msg.spd = c.spd;
    rig.layers.BMP.set(0, 0, kWhite);  // outside the window: never published
    rig.Type(c.text);
    EXPECT_EQ(rig.TakeDrawn()[0].y, 380);  // the label
    std::vector<std::size_t> per_tick;
    while (per_tick.size() < 100 && rig.scn.MainProc == WaitHandler::TypeText)
      per_tick.push_back(rig.TickDrawn().size());
    EXPECT_EQ(per_tick, c.per_tick);
    EXPECT_TRUE(SameRect(rig.layers.IMG, rig.layers.BMP, rig.win.msg.BoxRect));
    EXPECT_EQ(rig.layers.IMG.at(0, 0), kSceneColor);
    EXPECT_EQ(rig.win.msg.pri, 0);  // nothing left for the next message
    rig.Type("C", 0);
    EXPECT_FALSE(rig.win.PageWait);  // which does not begin waiting
  }
}

// Where each character goes in the first tick (`setup` is typed before, to
// change the size); then the metrics and font left in force, and that nothing
// was read past the text.
TEST(TypeTextTest, WrapsOverflowsAndCodesPlaceEachCharacter) {
  struct Case {
    const char* what;
    std::string setup, text;
    std::size_t drawn;
    std::vector<At> at;
    int32_t fdx = 8, fdy = 19, h = -16;
    Color color = kBlack;
  };
  const std::vector<At> ab = {{0, 40, 399}, {1, 49, 399}};
  const Case cases[] = {
      {"full width: 32 a row", "", Repeat(S("あ"), 40), 40,
       {{0, 40, 399}, {31, 40 + 31 * 17, 399}, {32, 40, 418}, {39, 40 + 7 * 17, 418}}},
      {"half width: 62 a row", "", Repeat("a", 63), 63, {{61, 40 + 61 * 9, 399}, {62, 40, 418}}},
      // 7 x 17 + 48 x 9 = 551: one more half-width character ends exactly at 560.
      {"a character reaching the line end wraps", "", Repeat(S("あ"), 7) + Repeat("a", 49), 56,
       {{54, 40 + 542, 399}, {55, 40, 418}}},
      // Three rows, then the first of the new page in the same tick.
      {"overflow starts on the top row", "", Repeat(S("あ"), 100), 97,
       {{95, 40 + 31 * 17, 437}, {96, 40, 380}}},
      // Height 28: rows of 19 at 31 and 62; 62 + 31 = 93 fills the page.
      {"a row ending at the page bottom fits", "\x04\x1C", Repeat(S("あ"), 39), 39,
       {{18, 40 + 18 * 29, 411}, {19, 40, 442}, {37, 40 + 18 * 29, 442}, {38, 40, 380}}, 14, 31,
       -28},
      // Four line feeds put the row below the window; only the wrap overflows.
      {"line feeds run below the window", "", "A\x01\x01\x01\x01" + Repeat("b", 63), 64,
       {{1, 40, 399 + 4 * 19}, {62, 40 + 61 * 9, 475}, {63, 40, 380}}},
      {"line feed", "", "A\x01" "B", 2, {{0, 40, 399}, {1, 40, 418}}},
      {"new page", "", "A\x01\x01\x02" "B", 2, {{0, 40, 399}, {1, 40, 399}}},
      {"colour past the table", "", "\x03\x10" "A", 1, {{0, 40, 399}}},
      {"colour", "", "\x03\x02" "A", 1, {{0, 40, 399}}, 8, 19, -16, ColorTable[2]},
      {"white", "", "\x03\x0F" "A", 1, {{0, 40, 399}}, 8, 19, -16, kWhite},
      {"size 24", "", "\x04\x18" "AB\x01" "C", 3, {{0, 40, 399}, {1, 53, 399}, {2, 40, 426}}, 12,
       27, -24},
      {"size 24 full width", "", "\x04\x18" + S("ああ"), 2, {{0, 40, 399}, {1, 65, 399}}, 12, 27,
       -24},
      {"size 13", "", "\x04\x0D" "AB", 2, {{0, 40, 399}, {1, 48, 399}}, 7, 16, -13},
      {"size 0 keeps the size", "", "\x04" + std::string(1, '\0') + "AB", 2, ab},
      {"colour code cut off", "", "AB\x03", 2, ab},
      {"size code cut off", "", "AB\x04", 2, ab},
      {"lead byte cut off", "", "AB\x82", 2, ab},
      {"half-width kana", "", "\xB1\xB2", 2, ab},
      {"nothing", "", "", 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextRig rig;
    rig.TypeAtOnce(c.setup);
    rig.Type(c.text);
    rig.TakeDrawn();
    const Drawn drawn = rig.TickDrawn();
    ASSERT_EQ(drawn.size(), c.drawn);
    for (auto [i, x, y] : c.at) EXPECT_EQ(XY(drawn[i].x, drawn[i].y), XY(x, y)) << i;
    for (const DrawnChar& d : drawn) EXPECT_EQ(d.style.height, c.h);
    EXPECT_FALSE(rig.win.PageWait);  // an overflow does not wait for a click
    EXPECT_EQ(rig.layers.IMG.at(45, 476), kSceneColor);  // below the window: not published
    rig.TickUntilIdle();
    const text::BoxRec& msg = rig.win.msg;
    EXPECT_EQ(std::tuple(msg.fdx, msg.fdy, rig.layers.font.height), std::tuple(c.fdx, c.fdy, c.h));
    EXPECT_EQ(rig.layers.font.color, c.color);
    EXPECT_EQ(rig.win.MsgPos, c.text.size() + 1);
  }
}

// Only a left click ends a wait; it types nothing and clears the budget. The
// blink count goes on into the next wait.
TEST(PageWaitTest, BlinksUntilALeftClick) {
  TextRig rig;
  rig.Type("AB\x05" "CD\x05" "EFGHIJ");
  rig.TakeDrawn();
  EXPECT_EQ(rig.TickDrawn().size(), 2u);
  auto shows = [&rig](Color c) { return AllOf(rig.layers.IMG, kBlinkIconRect, c); };
  for (int t = 1; t <= 23; ++t) {
    SCOPED_TRACE(t);
    if (t == 4) rig.input.clk = 2;
    if (t == 6) rig.input.sft = kSkipKey;
    EXPECT_TRUE(rig.TickDrawn().empty());
    ASSERT_TRUE(rig.win.PageWait);
    EXPECT_EQ(shows(kFrameB), t >= 10 && t < 20);
    EXPECT_EQ(shows(kFrameA), t >= 20);
  }
  rig.input.sft = 0;
  rig.input.clk = 1;
  rig.win.TypeText();
  EXPECT_EQ(rig.input.clk, 0);  // the click is used up
  EXPECT_FALSE(rig.win.PageWait);
  EXPECT_TRUE(rig.TakeDrawn().empty() && shows(kWhite));
  rig.win.msg.spd = 40;
  const Drawn rest = rig.TickDrawn();  // C, D: 32 of 40
  ASSERT_EQ(rest.size(), 2u);
  EXPECT_EQ(rest[0].x, 40 + 2 * 9);  // the same page, where it stopped
  rig.Tick();                        // 8 + 40: the wait code, then stop
  ASSERT_TRUE(rig.win.PageWait);
  for (int t = 0; t < 6; ++t) rig.Tick();
  EXPECT_FALSE(shows(kFrameB));
  rig.Tick();  // 3 + 7: the count reaches 10
  EXPECT_TRUE(shows(kFrameB));
  rig.input.clk = 1;
  rig.Tick();
  EXPECT_EQ(rig.TickDrawn().size(), 2u);  // 40 units, not 72: two characters
}

// Retyping starts the text again, its label in the size then in force; speaker
// 0 draws no frame nor label and types over the second row.
TEST(SpeakerTest, RetypingAndSpeakerZero) {
  TextRig rig;
  rig.win.msg.spd = 0;
  rig.Load(" TEXTA \"\\s{24}XY\"\n TEXTA again\n TEXT \"C\"\n CLICK\n");
  rig.Tick();
  rig.TickUntilIdle();
  rig.TakeDrawn();
  const Drawn label = rig.TickDrawn();  // the second message: no operand read
  EXPECT_EQ(rig.scn.inx, 9);
  ASSERT_GE(label.size(), 2u);
  EXPECT_EQ(label[0].style.height, -24);
  EXPECT_EQ(label[1].x, 40 + 25);  // after the full-width bracket
  EXPECT_EQ(Text(rig.TickDrawn()), "XY");
  const Bitmap before = rig.layers.BMP;
  EXPECT_TRUE(rig.TickDrawn().empty());
  EXPECT_EQ(rig.layers.BMP, before);
  const Drawn drawn = rig.TickDrawn();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(XY(drawn[0].x, drawn[0].y), XY(40, 380 + 27));
  const Rect y_cell{53, 407, 66, 431};  // Y stays
  EXPECT_GT(CountOf(before, y_cell, kBlack), 0);
  EXPECT_EQ(CountOf(rig.layers.BMP, y_cell, kBlack), CountOf(before, y_cell, kBlack));
}

TEST(SpeedSpinTest, SettingToSpeed) {
  TextRig rig;
  SpinEdit& spin = rig.form.panels.SpeedSpin;
  spin.OnChange = [&] { rig.win.SpeedSpinChange(); };
  spin.value = 1;  // so that every value below is a change
  for (auto [v, spd] : {std::pair{0, 0}, {16, 112}, {96, 32}, {128, 0}}) {
    spin.SetValue(v);
    EXPECT_EQ(rig.win.msg.spd, spd) << "v = " << v;
  }
  spin.OnDblClick = [&] { rig.win.SpeedSpinDblClick(); };
  rig.form.panels.ConfigPanel.visible = true;  // the player can reach the setting
  spin.DblClick();
  EXPECT_EQ((std::pair<int, int>(spin.value, rig.win.msg.spd)), std::pair(32, 96));
}

// --- Choices ---

ChoiceList ListOf(std::initializer_list<std::string> options) {
  ChoiceList list;
  for (const std::string& o : options) list.options[list.count++] = ByteString(o);
  return list;
}

// The rig's pointer moved to y, then one tick.
void PointTo(TextRig& rig, int32_t y, int32_t clk = 0) {
  rig.input.msy = y;
  rig.input.clk = clk;
  rig.Tick();
}

// The rows, the first cut at 255 bytes and highlighted a unit past its text,
// each character at its byte offset in the message font.
TEST(ReadChoicesTest, ListsOfEveryLength) {
  using Char = std::tuple<int32_t, int32_t, std::string>;
  struct Case {  // the first row's highlight, the last characters drawn, a message before
    const char* what;
    ChoiceList list;
    int count;
    std::string first;
    Rect highlight;
    std::vector<Char> drawn;
    std::string font = "";
  };
  const std::string marker = S(" ≫ ");
  const Case cases[] = {
      {"two options", ListOf({S("あい"), "ab"}), 2, marker + S("あい"), {40, 380, 40 + 9 * 8, 399},
       {{40, 380, " "}, {48, 380, S("≫")}, {64, 380, " "}, {72, 380, S("あ")}, {88, 380, S("い")},
        {40, 399, " "}, {48, 399, S("≫")}, {64, 399, " "}, {72, 399, "a"}, {80, 399, "b"}}},
      // A wait with no row could never end.
      {"no options", ChoiceList{}, 1, marker, {40, 380, 40 + 5 * 8, 399}, {{64, 380, " "}}},
      {"seven options, the last past the window", ListOf({"1", "2", "3", "4", "5", "6", "7"}), 7,
       marker + "1", {40, 380, 40 + 6 * 8, 399}, {{72, 380 + 6 * 19, "7"}}},
      {"a long option is cut", ListOf({Repeat("x", 255)}), 1, marker + Repeat("x", 251),
       {40, 380, 40 + 256 * 8, 399}, {{40 + 254 * 8, 380, "x"}}},
      {"a lead byte cut off is not drawn", ListOf({Repeat(S("あ"), 125) + "\x82"}), 1,
       marker + Repeat(S("あ"), 125) + "\x82", {40, 380, 40 + 256 * 8, 399},
       {{40 + 252 * 8, 380, S("あ")}}},
      {"size 24 and colour 2", ListOf({"ab", "c"}), 2, marker + "ab", {40, 380, 40 + 7 * 12, 407},
       {{40, 407, " "}, {40 + 12, 407, S("≫")}, {40 + 3 * 12, 407, " "}, {40 + 4 * 12, 407, "c"}},
       "\x04\x18\x03\x02"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextRig rig;
    rig.TypeAtOnce(c.font, 0);
    rig.choices.ReadChoices(3, ListOf({"1", "2", "3", "4", "5"}));  // a longer list before
    rig.scn.MainProc = WaitHandler::None;
    rig.TakeDrawn();
    rig.choices.ReadChoices(3, c.list);
    EXPECT_EQ(rig.scn.MainProc, WaitHandler::ChoiceProc);
    EXPECT_EQ(std::pair(rig.choices.ChoiceCount, rig.choices.ChoiceHot), std::pair(c.count, -1));
    EXPECT_TRUE(rig.choices.ChoiceText[c.count].empty());
    EXPECT_EQ(rig.choices.ChoiceText[0], c.first);
    EXPECT_EQ(rig.choices.HighlightRect(0), c.highlight);
    std::vector<Char> drawn;
    for (const DrawnChar& d : rig.TakeDrawn()) {
      drawn.emplace_back(d.x, d.y, d.bytes);
      EXPECT_EQ(std::pair(d.style.height, d.style.color),
                std::pair(rig.layers.font.height, rig.layers.font.color));
    }
    ASSERT_GE(drawn.size(), c.drawn.size());
    EXPECT_EQ(std::vector<Char>(drawn.end() - c.drawn.size(), drawn.end()), c.drawn);
    EXPECT_TRUE(SameRect(rig.layers.IMG, rig.layers.BMP, rig.win.msg.BoxRect));
  }
}

// Every pixel of r in b is the inverse of the one in a.
bool Inverted(const Bitmap& a, const Bitmap& b, const Rect& r) {
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x)
      if (b.at(x, y) != (~a.at(x, y) & kColorMask)) return false;
  return true;
}

// The row under the pointer is inverted, the one before restored exactly;
// only a left click on a row answers, and the options and highlight go.
TEST(ChoiceProcTest, HighlightFollowsThePointerAndRestoresExactly) {
  TextRig rig;
  rig.scn.work[7] = -5;
  rig.Load(" CHOICE work[7], \"はい\", \"いいえ\"\n CLICK\n");
  rig.Tick();
  EXPECT_EQ(rig.scn.inx, 16);
  EXPECT_EQ(rig.choices.ChoiceCount, 2);
  const Bitmap shown = rig.layers.BMP;
  const Rect rows[2] = {rig.choices.HighlightRect(0), rig.choices.HighlightRect(1)};
  EXPECT_EQ(rows[0], (Rect{40, 380, 40 + 9 * 8, 399}));
  EXPECT_EQ(rows[1], (Rect{40, 399, 40 + 11 * 8, 418}));
  // The pointer's y, the button clicked (2: right) and the row under it.
  for (auto [y, clk, hot] : {std::tuple{385, 2, 0}, {398, 0, 0}, {399, 0, 1}, {417, 0, 1},
                             {418, 1, -1}, {380, 0, 0}, {379, 1, -1}, {0, 0, -1}, {410, 0, 1},
                             {479, 1, -1}}) {
    SCOPED_TRACE(y);
    PointTo(rig, y, clk);
    EXPECT_EQ(rig.choices.ChoiceHot, hot);
    Bitmap rest = rig.layers.BMP;
    for (int row : {0, 1}) {
      EXPECT_EQ(Inverted(shown, rig.layers.BMP, rows[row]), row == hot) << row;
      if (row == hot) CopyRect(rest, rows[row], shown);
    }
    EXPECT_EQ(rest, shown);
    EXPECT_TRUE(SameRect(rig.layers.IMG, rig.layers.BMP, rig.win.msg.BoxRect));
  }
  ASSERT_EQ(std::pair(int{rig.scn.work[7]}, rig.scn.MainProc),
            std::pair(-5, WaitHandler::ChoiceProc));
  PointTo(rig, 405, 1);
  EXPECT_EQ(std::pair(int{rig.scn.work[7]}, rig.scn.MainProc), std::pair(2, WaitHandler::None));
  EXPECT_TRUE(AllOf(rig.layers.BMP, rig.win.msg.BoxRect, kWhite));
  EXPECT_TRUE(AllOf(rig.layers.IMG, rig.win.msg.BoxRect, kWhite));
  rig.Tick();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::WaitClick);
}

}  // namespace
}  // namespace velmor::testing
