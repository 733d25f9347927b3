// The status strip, its gauges and texts; stored digests of the strip and of
// a whole frame (written out as PNGs when they differ).
#include <gtest/gtest.h>

#include "core/errors.h"
#include "platform/shared/png.h"
#include "support/pictures.h"
#include "text/names.h"
#include "text/text_rig.h"

namespace velmor::testing {
namespace {

using text::kGaugeBack;
using text::kGaugeBlue;
using text::kGaugeRed;
using text::kGaugeYellow;

// The strip's numbers (the digests below show the usual ones).
TEST(StatusTextTest, NumbersAsTheStripWritesThem) {
  EXPECT_EQ(text::PercentText(5).view(), "  5%");
  EXPECT_EQ(text::DateText(-5, 123).view(), "-5/123(");
  for (auto [v, text] : {std::pair<int16_t, const char*>{-1, "\\       0"}, {1, "\\     100"},
                         {32767, "\\ 3276700"}})
    EXPECT_EQ(text::MoneyText(v).view(), text) << v;
}

// A gauge's bar: its length in pixels of 100 (two thirds of a pixel count as
// one, a half does not), red for negative values; on the back buffer only.
TEST(GaugeTest, BarLengthAndColour) {
  struct Case { int16_t value; int32_t scale; Color color; int32_t bar; Color shown; };
  const Case cases[] = {
      {5, 1000, kGaugeBlue, 0, kGaugeBlue},         {-300, 1000, kGaugeBlue, 30, kGaugeRed},
      {76, 150, kGaugeYellow, 51, kGaugeYellow},    // 50.67
      {74, 150, kGaugeYellow, 49, kGaugeYellow},    {2000, 1000, kGaugeBlue, 100, kGaugeBlue},
      {-32768, 150, kGaugeYellow, 100, kGaugeRed},  {999, 1000, kGaugeBlue, 99, kGaugeBlue}};
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
Drawn Row(const Drawn& drawn, int32_t y, int32_t x) {
  Drawn out;
  for (const DrawnChar& d : drawn)
    if (d.y == y && d.x >= x) out.push_back(d);
  return out;
}

// The strip's variables from `first` on: two gauges, three of layout 1 (the
// first yellow, of 150), month, day, weekday, money, two gauges of layout 0.
void SetStrip(TextRig& rig, int first, const std::array<int16_t, 11>& values) {
  rig.scn.mcr = text::InitialNames();
  for (int i = 0; i < 11; ++i) {
    rig.scn.StatusVars[i] = static_cast<uint16_t>(first + i);
    rig.scn.work[first + i] = values[i];
  }
}

// April 12th, a Wednesday, the yellow gauge at half.
struct StripRig : TextRig {
  StripRig() { SetStrip(*this, 10, {100, 200, 75, 400, 500, 4, 12, 3, 123, 600, 700}); }
};

// A changed picture is written as a PNG into the build folder for a look.
void ExpectDigest(const Bitmap& b, uint64_t stored, const std::string& name) {
  const uint64_t hash = Hash(b);
  if (hash == stored) return;
  const std::string path = std::string(VELMOR_BUILD_DIR) + "/" + name + ".png";
  ADD_FAILURE() << name << " changed: digest 0x" << std::hex << hash << ", stored 0x" << stored
                << (platform::WritePng(b, path, nullptr) ? "; written to " + path : "");
}

// Both layouts through the instructions, with a message font of another
// colour and size (the names take its colour, date and money are black) that
// stays as it was; the whole back buffer is shown.
TEST(DrawStatusTest, BothLayoutsAsStored) {
  const uint64_t stored[2] = {0xc27c54247d4025ac, 0x61fa62fa7952ad3c};
  for (int layout : {0, 1}) {
    SCOPED_TRACE(layout);
    StripRig rig;
    rig.scn.StatusVars = {};  // the instruction sets them
    rig.Load(" STATUSSET work[10], work[11], work[12], work[13], work[14], work[15], work[16],"
             " work[17], work[18], work[19], work[20]\n LAYOUT" + std::to_string(layout) +
             "\n STATUS\n CLICK\n");
    rig.layers.font = {-24, ColorTable[13]};
    rig.layers.IMG = Bitmap(640, 480, kWhite);
    rig.Tick();
    EXPECT_EQ(std::pair(rig.layers.font.height, rig.layers.font.color),
              std::pair(-24, ColorTable[13]));
    EXPECT_EQ(rig.layers.IMG, rig.layers.BMP);
    ExpectDigest(rig.layers.BMP, stored[layout], "status_layout" + std::to_string(layout));
  }
}

// Saturday's colour (the golden frame has Sunday's), no name at all outside
// the week; the closing bracket is black again.
TEST(DrawStatusTest, WeekdayNamesAndColours) {
  for (auto [w, color] : {std::pair<int16_t, Color>{6, Rgb(0, 0, 255)}, {3, kBlack}, {7, 0}}) {
    SCOPED_TRACE(w);
    StripRig rig;
    rig.scn.work[17] = w;
    const Bitmap blank = rig.layers.BMP;
    rig.status.DrawStatus();
    std::vector<std::pair<std::string, Color>> day_and_bracket, want = {{")", kBlack}};
    if (w != 7) want.insert(want.begin(), {text::DayName(w).str(), color});
    for (const Drawn& row : {Row(rig.font.drawn, 302, 582), Row(rig.font.drawn, 300, 598)})
      for (const DrawnChar& d : row) day_and_bracket.emplace_back(d.bytes, d.style.color);
    EXPECT_EQ(day_and_bracket, want);
    EXPECT_TRUE(w != 7 || SameRect(rig.layers.BMP, blank, {582, 302, 598, 318}));
  }
}

TEST(DrawStatusTest, AnItemOutsideTheWorkVariablesEndsTheGame) {
  StripRig rig;
  rig.scn.StatusVars[8] = 256;  // money from a variable that does not exist
  EXPECT_THROW(rig.status.DrawStatus(), QuitSignal);
  ASSERT_EQ(rig.game.game->dialogs().Boxes().size(), 1u);
  EXPECT_TRUE(rig.form.quit);
}

// The strip and a page with a label, colours, sizes and both widths on a
// gradient, in a frame with a border.
TEST(GoldenFrameTest, StatusStripAndATypedPage) {
  TextRig rig;
  ASSERT_TRUE(rig.ttf.ok()) << rig.ttf.error();
  for (int32_t y = 0; y < 480; ++y)
    FillRect(rig.layers.BMP, {0, y, 640, y + 1}, Rgb(40, 60 + y / 4, 120 + y / 8));
  Bitmap box(628, 100, kWhite);
  FillRect(box, {0, 0, 628, 3}, Rgb(90, 90, 160));
  FillRect(box, {0, 97, 628, 100}, Rgb(90, 90, 160));
  rig.win.SetUp(box);
  SetStrip(rig, 0, {720, -150, 90, 455, 1000, 4, 12, 0, 1234, 300, 999});
  rig.status.StatusLayout = 1;
  rig.status.DrawStatus();
  rig.win.msg.spd = 0;
  rig.Type(S("今日は四月十二日、日曜日。") + "\x01" + "Half-width: ABC xyz 123 " + "\x5C" + "500" +
           "\x01" + "\x03\x02" + S("赤い文字") + std::string("\x03\0", 2) + S("と、") + "\x04\x0C" +
           S("小さい文字") + "\x04\x10" + S("。ｶﾀｶﾅ"));
  rig.Tick();
  ASSERT_EQ(rig.scn.MainProc, scenario::WaitHandler::None);
  rig.layers.ShowBackBuffer();
  ExpectDigest(rig.layers.BMP, 0xb8b22d324b27add9, "text_golden_frame");
}

}  // namespace
}  // namespace velmor::testing
