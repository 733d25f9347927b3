#include <gtest/gtest.h>

#include "support/assembly.h"
#include "text/text_rig.h"

namespace velmor::testing {
namespace {

using scenario::ChoiceList;
using scenario::WaitHandler;

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

// Only a left click on a row answers; then the options and the highlight are
// gone from both bitmaps and the scenario goes on.
TEST(ReadChoicesTest, TheInstructionAndAClickOnTheSecondRow) {
  TextRig rig;
  rig.scn.work[7] = -5;
  rig.Load(Assembled(" CHOICE work[7], \"A\", \"B\"\n CLICK\n"));
  rig.Tick();
  EXPECT_EQ(rig.scn.inx, 8);
  EXPECT_EQ(rig.choices.ChoiceCount, 2);
  PointTo(rig, 385, 2);  // right click on a row
  PointTo(rig, 300, 1);  // left click above the rows
  PointTo(rig, 430, 1);  // left click below the rows
  ASSERT_EQ(rig.scn.MainProc, WaitHandler::ChoiceProc);
  EXPECT_EQ(rig.scn.work[7], -5);
  PointTo(rig, 405, 1);
  EXPECT_EQ(rig.scn.work[7], 2);
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
  EXPECT_TRUE(AllOf(rig.layers.BMP, rig.win.msg.BoxRect, kWhite));
  EXPECT_TRUE(AllOf(rig.layers.IMG, rig.win.msg.BoxRect, kWhite));
  rig.Tick();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::WaitClick);
}

// The list as shown: how many rows, the first row's text cut at 255 bytes,
// its highlight one unit past the text, and where the font drew each
// character (at its byte offset, a row each) in the message font.
TEST(ReadChoicesTest, ListsOfEveryLength) {
  using At = std::tuple<int32_t, int32_t, std::string>;
  struct Case {
    const char* what;
    ChoiceList list;
    int count;
    std::string first;
    Rect highlight;         // the first row's
    std::vector<At> drawn;  // the last ones
    std::string font = "";  // typed first, to change the font
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
    std::vector<At> drawn;
    for (const DrawnChar& d : rig.TakeDrawn()) {
      drawn.emplace_back(d.x, d.y, d.bytes);
      EXPECT_EQ(std::pair(d.style.height, d.style.color),
                std::pair(rig.layers.font.height, rig.layers.font.color));
    }
    ASSERT_GE(drawn.size(), c.drawn.size());
    EXPECT_EQ(std::vector<At>(drawn.end() - c.drawn.size(), drawn.end()), c.drawn);
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

// The row under the pointer is inverted (its bytes and one unit more), the
// one before restored exactly, nothing else touched, and the window shown.
TEST(ChoiceProcTest, HighlightFollowsThePointerAndRestoresExactly) {
  TextRig rig;
  rig.choices.ReadChoices(7, ListOf({S("はい"), S("いいえ")}));
  const Bitmap shown = rig.layers.BMP;
  const Rect rows[2] = {rig.choices.HighlightRect(0), rig.choices.HighlightRect(1)};
  EXPECT_EQ(rows[0], (Rect{40, 380, 40 + 9 * 8, 399}));
  EXPECT_EQ(rows[1], (Rect{40, 399, 40 + 11 * 8, 418}));
  for (auto [y, hot] : {std::pair{385, 0}, {398, 0}, {399, 1}, {417, 1}, {418, -1}, {380, 0},
                        {379, -1}, {0, -1}, {410, 1}, {479, -1}}) {
    SCOPED_TRACE(y);
    PointTo(rig, y);
    EXPECT_EQ(rig.choices.ChoiceHot, hot);
    Bitmap rest = rig.layers.BMP;
    for (int row : {0, 1}) {
      EXPECT_EQ(Inverted(shown, rig.layers.BMP, rows[row]), row == hot) << row;
      if (row == hot) CopyRect(rest, rows[row], shown);
    }
    EXPECT_EQ(rest, shown);
    EXPECT_TRUE(SameRect(rig.layers.IMG, rig.layers.BMP, rig.win.msg.BoxRect));
  }
}

}  // namespace
}  // namespace velmor::testing
