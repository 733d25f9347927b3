#include <gtest/gtest.h>

#include "core/sjis.h"
#include "text/names.h"
#include "text/text_rig.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;
using text::kBlinkIconRect;

std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

// Characters drawn per tick until the message ends (at most `limit` ticks).
std::vector<std::size_t> CharsPerTick(TextRig& rig, int limit = 100) {
  std::vector<std::size_t> counts;
  for (int t = 0; t < limit && rig.scn.MainProc == WaitHandler::TypeText; ++t) {
    rig.Tick();
    counts.push_back(rig.TakeDrawn().size());
  }
  return counts;
}

TEST(TypeTextTest, FortyFullWidthCharactersAtSpeed96) {
  TextRig rig;
  rig.Type(Repeat(S("あ"), 40));
  rig.TakeDrawn();  // the label
  ASSERT_EQ(rig.win.msg.spd, 96);

  std::vector<DrawnChar> all;
  std::vector<std::size_t> per_tick;
  for (int t = 0; t < 7; ++t) {
    EXPECT_EQ(rig.scn.MainProc, WaitHandler::TypeText) << "tick " << t + 1;
    rig.Tick();
    std::vector<DrawnChar> drawn = rig.TakeDrawn();
    per_tick.push_back(drawn.size());
    all.insert(all.end(), drawn.begin(), drawn.end());
  }
  EXPECT_EQ(per_tick, (std::vector<std::size_t>{6, 6, 6, 6, 6, 6, 4}));
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
  ASSERT_EQ(all.size(), 40u);
  EXPECT_EQ(all[0].x, 40);
  EXPECT_EQ(all[0].y, 399);
  EXPECT_EQ(all[31].x, 40 + 31 * 17);
  EXPECT_EQ(all[31].y, 399);
  EXPECT_EQ(all[32].x, 40);  // wrapped after the 32nd
  EXPECT_EQ(all[32].y, 418);
  EXPECT_EQ(all[39].x, 40 + 7 * 17);
  EXPECT_EQ(rig.win.msg.pri, 0);
}

TEST(TypeTextTest, BudgetRemainderCarriesToTheNextTick) {
  TextRig rig;
  rig.win.msg.spd = 40;  // two and a half characters a tick
  rig.Type(Repeat("a", 10));
  rig.TakeDrawn();
  EXPECT_EQ(CharsPerTick(rig), (std::vector<std::size_t>{2, 3, 2, 3}));
  EXPECT_EQ(rig.win.msg.pri, 0);  // the end leaves no budget for the next message
}

TEST(TypeTextTest, SpeedZeroTypesAPageInOneTick) {
  TextRig rig;
  rig.win.msg.spd = 0;
  rig.Type(Repeat(S("あ"), 90));
  rig.TakeDrawn();
  EXPECT_EQ(CharsPerTick(rig), (std::vector<std::size_t>{90}));
}

TEST(TypeTextTest, AFullTextEndsAfterItsLastByte) {
  TextRig rig;
  rig.win.msg.spd = 0;
  std::string text = Repeat(S("あ"), 127) + "Z";  // 255 bytes
  ASSERT_EQ(text.size(), 255u);
  rig.Type(text);
  rig.TakeDrawn();
  EXPECT_LT(rig.TickUntilIdle(), 10);
  EXPECT_EQ(rig.font.Text(), text);
  EXPECT_EQ(rig.win.MsgPos, 256u);
}

TEST(TypeTextTest, ALeadByteCutOffAtTheEndDrawsNothing) {
  TextRig rig;
  rig.win.msg.spd = 0;
  std::string text = Repeat(S("あ"), 127) + "\x82";  // the reader's cut at 255 bytes
  rig.Type(text);
  rig.TakeDrawn();
  rig.TickUntilIdle();
  EXPECT_EQ(rig.font.Text(), Repeat(S("あ"), 127));
  EXPECT_EQ(rig.win.MsgPos, 256u);  // nothing read past the text
}

TEST(TypeTextTest, AnEmptyTextEndsAtTheFirstTickWithoutDrawing) {
  TextRig rig;
  rig.Type("");
  rig.TakeDrawn();
  rig.Tick();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
  EXPECT_TRUE(rig.TakeDrawn().empty());
}

TEST(TypeTextTest, OnlyTheWindowIsPublished) {
  TextRig rig;
  rig.Type("abc");
  EXPECT_TRUE(SameRect(rig.layers.IMG, rig.layers.BMP, rig.win.msg.BoxRect));
  rig.layers.BMP.set(0, 0, kWhite);  // outside the window
  rig.Tick();
  EXPECT_TRUE(SameRect(rig.layers.IMG, rig.layers.BMP, rig.win.msg.BoxRect));
  EXPECT_EQ(rig.layers.IMG.at(0, 0), kSceneColor);
  EXPECT_EQ(rig.win.msg.BoxRect, (Rect{6, 374, 634, 474}));
}

// --- Wrap and page overflow ---

TEST(TypeTextTest, PageOverflowStartsOnTheTopRowAndCostsATick) {
  TextRig rig;
  rig.win.msg.spd = 0;
  rig.Type(Repeat(S("あ"), 100));
  std::vector<DrawnChar> label = rig.TakeDrawn();
  ASSERT_FALSE(label.empty());
  rig.Tick();
  std::vector<DrawnChar> first = rig.TakeDrawn();
  ASSERT_EQ(first.size(), 97u);  // three rows, then the first of the new page
  EXPECT_EQ(first[95].y, 437);
  EXPECT_EQ(first[96].x, 40);
  EXPECT_EQ(first[96].y, 380);
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::TypeText);
  EXPECT_FALSE(rig.win.PageWait);  // an overflow does not wait for a click
  rig.Tick();
  std::vector<DrawnChar> second = rig.TakeDrawn();
  ASSERT_EQ(second.size(), 3u);
  EXPECT_EQ(second[0].x, 40 + 17);
  EXPECT_EQ(second[0].y, 380);
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
}

TEST(TypeTextTest, HalfWidthRowsHold62Characters) {
  TextRig rig;
  rig.win.msg.spd = 0;
  rig.Type(Repeat("a", 63));
  rig.TakeDrawn();
  rig.Tick();
  std::vector<DrawnChar> drawn = rig.TakeDrawn();
  ASSERT_EQ(drawn.size(), 63u);
  EXPECT_EQ(drawn[61].x, 40 + 61 * 9);
  EXPECT_EQ(drawn[61].y, 399);
  EXPECT_EQ(drawn[62].x, 40);
  EXPECT_EQ(drawn[62].y, 418);
}

TEST(TypeTextTest, ACharacterThatWouldReachTheLineEndWraps) {
  TextRig rig;
  rig.win.msg.spd = 0;
  // 7 x 17 + 48 x 9 = 551: one more half-width character ends exactly at 560.
  rig.Type(Repeat(S("あ"), 7) + Repeat("a", 49));
  rig.TakeDrawn();
  rig.Tick();
  std::vector<DrawnChar> drawn = rig.TakeDrawn();
  ASSERT_EQ(drawn.size(), 56u);
  EXPECT_EQ(drawn[54].x, 40 + 542);
  EXPECT_EQ(drawn[55].x, 40);
  EXPECT_EQ(drawn[55].y, 418);
}

TEST(TypeTextTest, ARowThatEndsExactlyAtThePageBottomStillFits) {
  TextRig rig;
  rig.win.msg.spd = 0;
  rig.Type("\x04\x1C");  // height 28: fdx 14, fdy 31, 19 full-width characters a row
  rig.TickUntilIdle();
  ASSERT_EQ(rig.win.msg.fdy, 31);
  rig.Type(Repeat(S("あ"), 39));  // rows at 31 and 62; 62 + 31 = 93 fills the page
  rig.TakeDrawn();
  rig.Tick();
  std::vector<DrawnChar> drawn = rig.TakeDrawn();
  ASSERT_EQ(drawn.size(), 39u);
  EXPECT_EQ(drawn[18].y, 411);
  EXPECT_EQ(drawn[19].y, 442);
  EXPECT_EQ(drawn[37].y, 442);
  EXPECT_EQ(drawn[38].y, 380);  // the third wrap overflows
}

TEST(TypeTextTest, LineFeedsRunBelowTheWindowWithoutOverflow) {
  TextRig rig;
  rig.win.msg.spd = 0;
  // Four line feeds put the row at y = 475, below the window; the wrap after
  // that row's 62 characters is what overflows.
  rig.Type("A\x01\x01\x01\x01" + Repeat("b", 63));
  rig.TakeDrawn();
  rig.Tick();
  std::vector<DrawnChar> drawn = rig.TakeDrawn();
  ASSERT_EQ(drawn.size(), 64u);
  EXPECT_EQ(drawn[1].y, 399 + 4 * 19);
  EXPECT_EQ(drawn[62].y, 475);
  EXPECT_EQ(drawn[63].y, 380);  // the wrap found the page full
  EXPECT_EQ(rig.layers.IMG.at(45, 476), kSceneColor);  // not published: outside the window
}

// --- Control codes ---

struct CodeCase {
  const char* name;
  std::string text;
  std::vector<Point> at;  // where each character was drawn
  int32_t fdx;
  int32_t fdy;
  platform::TextStyle font;
};

class ControlCodeTest : public ::testing::TestWithParam<CodeCase> {};

TEST_P(ControlCodeTest, TypesAsTheCodesSay) {
  const CodeCase& c = GetParam();
  TextRig rig;
  rig.win.msg.spd = 0;
  rig.Type(c.text);
  rig.TakeDrawn();
  rig.TickUntilIdle();
  std::vector<DrawnChar> drawn = rig.TakeDrawn();
  std::vector<Point> at;
  for (const DrawnChar& d : drawn) at.push_back({d.x, d.y});
  EXPECT_EQ(at, c.at);
  EXPECT_EQ(rig.win.msg.fdx, c.fdx);
  EXPECT_EQ(rig.win.msg.fdy, c.fdy);
  EXPECT_EQ(rig.layers.font.height, c.font.height);
  EXPECT_EQ(rig.layers.font.color, c.font.color);
  if (!drawn.empty()) {
    EXPECT_EQ(drawn.back().style.height, c.font.height);
    EXPECT_EQ(drawn.back().style.color, c.font.color);
  }
  EXPECT_EQ(rig.win.MsgPos, c.text.size() + 1);
}

const platform::TextStyle kStart{-16, kBlack};

INSTANTIATE_TEST_SUITE_P(
    Codes, ControlCodeTest,
    ::testing::Values(
        CodeCase{"LineFeed", "A\x01" "B", {{40, 399}, {40, 418}}, 8, 19, kStart},
        CodeCase{"NewPage", "A\x01\x01\x02" "B", {{40, 399}, {40, 399}}, 8, 19, kStart},
        CodeCase{"Color", "\x03\x02" "A", {{40, 399}}, 8, 19, {-16, ColorTable[2]}},
        CodeCase{"ColorWhite", "\x03\x0F" "A", {{40, 399}}, 8, 19, {-16, kWhite}},
        CodeCase{"ColorPastTheTable", "\x03\x10" "A", {{40, 399}}, 8, 19, kStart},
        CodeCase{"ColorFF", "\x03\xFF" "A", {{40, 399}}, 8, 19, kStart},
        CodeCase{"Size24", "\x04\x18" "AB\x01" "C",
                 {{40, 399}, {53, 399}, {40, 426}}, 12, 27, {-24, kBlack}},
        CodeCase{"Size24FullWidth", "\x04\x18" + S("ああ"), {{40, 399}, {65, 399}}, 12, 27,
                 {-24, kBlack}},
        CodeCase{"Size13", "\x04\x0D" "AB", {{40, 399}, {48, 399}}, 7, 16, {-13, kBlack}},
        CodeCase{"SizeZeroKeepsTheSize", "\x04" + std::string(1, '\0') + "AB",
                 {{40, 399}, {49, 399}}, 8, 19, kStart},
        CodeCase{"ColorCodeCutOff", "AB\x03", {{40, 399}, {49, 399}}, 8, 19, kStart},
        CodeCase{"SizeCodeCutOff", "AB\x04", {{40, 399}, {49, 399}}, 8, 19, kStart},
        CodeCase{"HalfWidthKana", "\xB1\xB2", {{40, 399}, {49, 399}}, 8, 19, kStart}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TypeTextTest, NewPageErasesTheSpeakerLabel) {
  TextRig rig;
  rig.win.msg.spd = 0;
  Rect label_row{40, 380, 200, 396};
  rig.Type(std::string("\x02"));
  EXPECT_GT(CountOf(rig.layers.BMP, label_row, kBlack), 0);
  rig.Tick();
  EXPECT_TRUE(AllOf(rig.layers.BMP, label_row, kWhite));
  EXPECT_TRUE(AllOf(rig.layers.IMG, label_row, kWhite));
}

TEST(TypeTextTest, SizeStaysInForceForTheNextLabel) {
  TextRig rig;
  rig.win.msg.spd = 0;
  rig.Type("\x04\x18" "A");
  rig.TickUntilIdle();
  rig.TakeDrawn();
  rig.Type("B", 1);
  std::vector<DrawnChar> label = rig.TakeDrawn();
  ASSERT_GE(label.size(), 2u);
  EXPECT_EQ(label[0].style.height, -24);
  EXPECT_EQ(label[1].x, 40 + 25);  // after the full-width bracket
  EXPECT_EQ(rig.win.msg.csy, 27);  // typing starts one 27-pixel row down
}

// --- Page waits ---

TEST(PageWaitTest, BlinksUntilALeftClick) {
  TextRig rig;
  rig.Type("AB\x05" "CD");
  rig.TakeDrawn();
  rig.Tick();
  EXPECT_EQ(rig.TakeDrawn().size(), 2u);
  EXPECT_TRUE(rig.win.PageWait);
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::TypeText);

  for (int t = 1; t <= 20; ++t) {
    if (t == 4) rig.input.clk = 2;       // a right click does not resume
    if (t == 6) rig.input.sft = kSkipKey;  // nor does the skip key, once waiting
    rig.Tick();
    EXPECT_TRUE(rig.TakeDrawn().empty()) << "wait tick " << t;
    ASSERT_TRUE(rig.win.PageWait) << "wait tick " << t;
    bool frame_b = AllOf(rig.layers.IMG, kBlinkIconRect, kFrameB);
    bool frame_a = AllOf(rig.layers.IMG, kBlinkIconRect, kFrameA);
    EXPECT_EQ(frame_b, t >= 10 && t < 20) << "wait tick " << t;
    EXPECT_EQ(frame_a, t == 20) << "wait tick " << t;
  }
  rig.input.sft = 0;

  rig.input.clk = 1;
  rig.win.TypeText();
  EXPECT_EQ(rig.input.clk, 0);  // the click is used up
  EXPECT_FALSE(rig.win.PageWait);
  EXPECT_TRUE(rig.TakeDrawn().empty());  // nothing typed in the clicking tick
  EXPECT_TRUE(AllOf(rig.layers.IMG, kBlinkIconRect, kWhite));
  rig.Tick();
  std::vector<DrawnChar> rest = rig.TakeDrawn();
  ASSERT_EQ(rest.size(), 2u);
  EXPECT_EQ(rest[0].x, 40 + 2 * 9);  // the same page, where it stopped
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
}

TEST(PageWaitTest, BlinkCountCarriesIntoTheNextWait) {
  TextRig rig;
  rig.Type("A\x05" "B\x05" "C");
  rig.Tick();  // A, then the first wait
  for (int t = 0; t < 3; ++t) rig.Tick();
  EXPECT_EQ(rig.win.BlinkCount, 3);
  rig.input.clk = 1;
  rig.Tick();
  rig.Tick();  // B, then the second wait
  ASSERT_TRUE(rig.win.PageWait);
  for (int t = 0; t < 6; ++t) rig.Tick();
  EXPECT_FALSE(AllOf(rig.layers.IMG, kBlinkIconRect, kFrameB));
  rig.Tick();  // the count reaches 10
  EXPECT_TRUE(AllOf(rig.layers.IMG, kBlinkIconRect, kFrameB));
}

TEST(PageWaitTest, TheClickingTickClearsTheBudget) {
  TextRig rig;
  rig.win.msg.spd = 40;
  rig.Type("AB\x05" "CDEFG");
  rig.Tick();  // A, B: 32 of 40 spent
  rig.Tick();  // 8 + 40: the wait code, then stop
  ASSERT_TRUE(rig.win.PageWait);
  EXPECT_EQ(rig.win.msg.pri, 32);
  rig.input.clk = 1;
  rig.Tick();
  EXPECT_EQ(rig.win.msg.pri, 0);
  rig.TakeDrawn();
  rig.Tick();
  EXPECT_EQ(rig.TakeDrawn().size(), 2u);  // 40 units: two characters
}

TEST(PageWaitTest, AWaitAsTheLastByteEndsTheMessage) {
  TextRig rig;
  rig.Type("AB\x05");
  rig.Tick();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
  EXPECT_TRUE(rig.win.PageWait);  // set, but nothing waits on it
  rig.Type("C", 0);
  EXPECT_FALSE(rig.win.PageWait);
  rig.Tick();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
}

TEST(SkipKeyTest, EachPageShowsForOneTick) {
  TextRig rig;
  rig.input.sft = kSkipKey;
  // A page wait; a page overflow (the rest of the first row after the A, two
  // more rows of 62, then one character on the new page); the end.
  rig.Type("A\x05" + Repeat("b", 187) + "cc");
  rig.TakeDrawn();
  EXPECT_EQ(CharsPerTick(rig), (std::vector<std::size_t>{1, 61 + 62 + 62 + 1, 3}));
  EXPECT_FALSE(rig.win.PageWait);
}

// --- Speakers ---

struct SpeakerCase {
  uint8_t opcode;
  int entry;  // -1: no name (an empty label)
};

class SpeakerLabelTest : public ::testing::TestWithParam<SpeakerCase> {};

TEST_P(SpeakerLabelTest, LabelsTheSpeakerOfTheOpcode) {
  const SpeakerCase& c = GetParam();
  TextRig rig;
  rig.scn.mcr = text::InitialNames();
  rig.Load({c.opcode, 1, 'H', 'i', 0, 22});
  rig.Tick();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::TypeText);
  std::vector<DrawnChar> label = rig.TakeDrawn();
  std::string name = c.entry >= 0 ? rig.scn.mcr[c.entry].str() : "";
  std::string text;
  for (const DrawnChar& d : label) text += d.bytes;
  EXPECT_EQ(text, S("【 ") + name + S(" 】"));
  ASSERT_FALSE(label.empty());
  EXPECT_EQ(label[0].x, 40);
  EXPECT_EQ(label[0].y, 380);
  EXPECT_TRUE(SameRect(rig.layers.IMG, rig.layers.BMP, rig.win.msg.BoxRect));
  rig.Tick();
  EXPECT_EQ(rig.font.Text(), "Hi");
}

INSTANTIATE_TEST_SUITE_P(Opcodes, SpeakerLabelTest,
                         ::testing::Values(SpeakerCase{29, 1}, SpeakerCase{30, 0},
                                           SpeakerCase{53, 3}, SpeakerCase{56, 6},
                                           SpeakerCase{57, 7}, SpeakerCase{68, 18},
                                           SpeakerCase{69, -1}, SpeakerCase{70, -1},
                                           SpeakerCase{71, -1}));

TEST(SpeakerTest, SpeakerZeroKeepsTheWindowAndTypesOnTheSecondRow) {
  TextRig rig;
  rig.win.msg.spd = 0;
  rig.Type("AB", 1);
  rig.TickUntilIdle();
  Bitmap before = rig.layers.BMP;
  rig.TakeDrawn();
  rig.Load({21, 1, 'C', 0, 22});
  rig.Tick();
  EXPECT_TRUE(rig.TakeDrawn().empty());
  EXPECT_EQ(rig.layers.BMP, before);  // no frame, no label
  rig.Tick();
  std::vector<DrawnChar> drawn = rig.TakeDrawn();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].x, 40);
  EXPECT_EQ(drawn[0].y, 399);
  Rect b_cell{49, 399, 58, 415};
  EXPECT_GT(CountOf(before, b_cell, kBlack), 0);
  EXPECT_EQ(CountOf(rig.layers.BMP, b_cell, kBlack), CountOf(before, b_cell, kBlack));
}

TEST(SpeakerTest, RetypingStartsTheTextAgainFromItsFirstByte) {
  TextRig rig;
  rig.win.msg.spd = 0;
  rig.Load({29, 1, 'X', 'Y', 0, 29, 3, 22});
  rig.Tick();
  rig.TickUntilIdle();
  rig.TakeDrawn();
  rig.Tick();  // the second message: source 3, the previous text
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::TypeText);
  EXPECT_EQ(rig.scn.inx, 7);  // no operand read
  rig.TakeDrawn();
  rig.Tick();
  EXPECT_EQ(rig.font.Text(), "XY");

  rig.font.drawn.clear();
  rig.win.StartMessage(1, nullptr);
  EXPECT_EQ(rig.win.MsgPos, 1u);
  rig.TakeDrawn();
  rig.Tick();
  EXPECT_EQ(rig.font.Text(), "XY");
}

// --- Speed setting ---

TEST(SpeedSpinTest, SettingToSpeed) {
  const std::pair<int, int> table[] = {{0, 0},  {16, 112}, {32, 96},  {48, 80}, {64, 64},
                                       {80, 48}, {96, 32}, {112, 16}, {128, 0}};
  TextRig rig;
  rig.SpeedSpin.OnChange = [&] { rig.win.SpeedSpinChange(); };
  rig.SpeedSpin.value = 1;  // so that every value below is a change
  for (auto [v, spd] : table) {
    rig.SpeedSpin.SetValue(v);
    EXPECT_EQ(rig.win.msg.spd, spd) << "v = " << v;
  }
  rig.SpeedSpin.OnDblClick = [&] { rig.win.SpeedSpinDblClick(); };
  rig.SpeedSpin.DblClick();
  EXPECT_EQ(rig.SpeedSpin.value, 32);
  EXPECT_EQ(rig.win.msg.spd, 96);
}

TEST(SpeedSpinTest, TheSlowestEndTypesAllAtOnce) {
  TextRig rig;
  rig.SpeedSpin.OnChange = [&] { rig.win.SpeedSpinChange(); };
  rig.SpeedSpin.SetValue(128);
  rig.Type(Repeat("a", 50));
  rig.TakeDrawn();
  EXPECT_EQ(CharsPerTick(rig), (std::vector<std::size_t>{50}));
}

TEST(SetUpTest, FrameAndMetricsFromTheCanvasFont) {
  TextRig rig;
  rig.layers.font.height = -24;
  rig.win.SetUp(Bitmap(300, 50, kWhite));
  EXPECT_EQ(rig.win.msg.BoxRect, (Rect{6, 374, 306, 424}));
  EXPECT_EQ(rig.win.msg.fdx, 12);
  EXPECT_EQ(rig.win.msg.fdy, 27);
  rig.layers.font.height = -16;
  rig.win.SetUp(Bitmap(628, 100, kWhite));
  EXPECT_EQ(rig.win.msg.fdx, 8);
  EXPECT_EQ(rig.win.msg.fdy, 19);
}

}  // namespace
}  // namespace velmor::testing
