#include <gtest/gtest.h>

#include "core/errors.h"
#include "text/names.h"
#include "support/pictures.h"
#include "text/text_rig.h"

namespace velmor::testing {
namespace {

using text::kGaugeBack;
using text::kGaugeBlue;
using text::kGaugeRed;
using text::kGaugeYellow;

TEST(StatusTextTest, NumbersAsTheStripWritesThem) {
  EXPECT_EQ(text::PercentText(5).view(), "  5%");
  EXPECT_EQ(text::PercentText(100).view(), "100%");
  EXPECT_EQ(text::DateText(4, 1).view(), " 4/ 1(");
  EXPECT_EQ(text::DateText(-5, 123).view(), "-5/123(");
  for (auto [v, text] : {std::pair<int16_t, const char*>{-1, "\\       0"}, {1, "\\     100"},
                         {32767, "\\ 3276700"}})
    EXPECT_EQ(text::MoneyText(v).view(), text) << v;
}

// A gauge's bar: its length in pixels of 100 (two thirds of a pixel count as
// one, a half does not), red for negative values; on the back buffer only.
TEST(GaugeTest, BarLengthAndColour) {
  struct Case {
    int16_t value;
    int32_t scale;
    Color color;
    int32_t bar;
    Color shown;
  };
  const Case cases[] = {{5, 1000, kGaugeBlue, 0, kGaugeBlue},
                        {-300, 1000, kGaugeBlue, 30, kGaugeRed},
                        {76, 150, kGaugeYellow, 51, kGaugeYellow},  // 50.67
                        {74, 150, kGaugeYellow, 49, kGaugeYellow},
                        {2000, 1000, kGaugeBlue, 100, kGaugeBlue},
                        {-32768, 150, kGaugeYellow, 100, kGaugeRed},
                        {999, 1000, kGaugeBlue, 99, kGaugeBlue}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    TextRig rig;
    rig.status.DrawGauge(76, c.value, c.scale, c.color, false);
    EXPECT_TRUE(AllOf(rig.layers.BMP, Rect::FromSize(514, 76, c.bar, 16), c.shown));
    EXPECT_TRUE(AllOf(rig.layers.BMP, Rect{514 + c.bar, 76, 614, 92}, kGaugeBack));
    EXPECT_EQ(CountOf(rig.layers.BMP, rig.layers.BMP.bounds(), kSceneColor), 640 * 480 - 1600);
    EXPECT_TRUE(rig.font.drawn.empty());
    EXPECT_EQ(rig.layers.IMG, Bitmap(640, 480, kSceneColor));
  }
}

// The characters drawn on row y from x on, in drawing order.
std::vector<DrawnChar> Row(const std::vector<DrawnChar>& drawn, int32_t y, int32_t x) {
  std::vector<DrawnChar> out;
  for (const DrawnChar& d : drawn)
    if (d.y == y && d.x >= x) out.push_back(d);
  return out;
}

// A rig whose strip reads work variables 10..20.
struct StripRig : TextRig {
  StripRig() {
    scn.mcr = text::InitialNames();
    for (int i = 0; i < 11; ++i) scn.StatusVars[i] = static_cast<uint16_t>(10 + i);
    for (int i = 0; i < 5; ++i) scn.work[10 + i] = static_cast<int16_t>(100 * (i + 1));
    scn.work[12] = 75;  // half of the yellow gauge's 150
    scn.work[19] = 600;
    scn.work[20] = 700;
    scn.work[15] = 4;    // month
    scn.work[16] = 12;   // day
    scn.work[17] = 3;    // Wednesday
    scn.work[18] = 123;  // money
  }
};

// Both layouts of the strip against stored digests, drawn with a message
// font of another colour and size: the names in that colour, the gauges, the
// percentages of layout 1, the date and the money in black. The message font
// is as it was afterwards.
TEST(DrawStatusTest, BothLayoutsAsStored) {
  const uint64_t stored[2] = {0xc27c54247d4025ac, 0x61fa62fa7952ad3c};
  for (int layout : {0, 1}) {
    SCOPED_TRACE(layout);
    StripRig rig;
    rig.status.StatusLayout = layout;
    const platform::TextStyle before{-24, ColorTable[13]};
    rig.layers.font = before;
    rig.status.DrawStatus();
    EXPECT_EQ(rig.layers.font.height, before.height);
    EXPECT_EQ(rig.layers.font.color, before.color);
    const uint64_t hash = Hash(rig.layers.BMP);
    if (hash != stored[layout])
      ADD_FAILURE() << "the strip changed: digest 0x" << std::hex << hash << ", stored 0x"
                    << stored[layout] << "; written to "
                    << SavePng(rig.layers.BMP, "status_layout" + std::to_string(layout) + ".png");
  }
}

// The weekday's colour, or no name at all outside the week; the closing
// bracket is black again.
TEST(DrawStatusTest, WeekdayNamesAndColours) {
  const std::pair<int16_t, Color> table[] = {
      {0, Rgb(255, 0, 0)}, {6, Rgb(0, 0, 255)}, {1, kBlack}, {5, kBlack}, {-1, 0}, {7, 0}};
  for (auto [w, color] : table) {
    SCOPED_TRACE(w);
    StripRig rig;
    rig.scn.work[17] = w;
    const Bitmap blank = rig.layers.BMP;
    rig.status.DrawStatus();
    std::vector<DrawnChar> day = Row(rig.font.drawn, 302, 582);
    if (w < 0 || w > 6) {
      EXPECT_TRUE(day.empty());
      EXPECT_TRUE(SameRect(rig.layers.BMP, blank, {582, 302, 598, 318}));
    } else {
      ASSERT_EQ(day.size(), 1u);
      EXPECT_EQ(day[0].bytes, text::DayName(w).str());
      EXPECT_EQ(day[0].style.color, color);
    }
    std::vector<DrawnChar> bracket = Row(rig.font.drawn, 300, 598);
    ASSERT_EQ(bracket.size(), 1u);
    EXPECT_EQ(bracket[0].bytes, ")");
    EXPECT_EQ(bracket[0].style.color, kBlack);
  }
}

TEST(DrawStatusTest, StatusInstructionShowsTheWholeBackBuffer) {
  StripRig rig;
  rig.Load({52, 10, 0, 11, 0, 12, 0, 13, 0, 14, 0, 15, 0, 16, 0, 17, 0, 18, 0, 19, 0, 20, 0,
            101, 51, 22});
  rig.layers.BMP.set(0, 0, kWhite);
  rig.Tick();
  EXPECT_EQ(rig.status.StatusLayout, 1);
  EXPECT_EQ(rig.layers.IMG, rig.layers.BMP);
  std::string second_name;
  for (const DrawnChar& d : Row(rig.font.drawn, 224, 512)) second_name += d.bytes;
  EXPECT_EQ(second_name, rig.scn.mcr[1].str());
}

TEST(DrawStatusTest, AnItemOutsideTheWorkVariablesEndsTheGame) {
  StripRig rig;
  rig.scn.StatusVars[8] = 256;  // money from a variable that does not exist
  EXPECT_THROW(rig.status.DrawStatus(), QuitSignal);
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_TRUE(rig.form.quit);
}

}  // namespace
}  // namespace velmor::testing
