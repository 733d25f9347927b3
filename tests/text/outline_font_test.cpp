// The outline face's glyphs and faces: kept for drawing again, within bounds
// however many heights and characters a scenario writes, and drawn the same
// after they were let go.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/sjis.h"
#include "platform/shared/ttf_font.h"

namespace velmor::testing {
namespace {

using platform::TextStyle;
using platform::TtfFont;

const std::string kLine = Utf8ToSjis("潮風の暮れる街に灯がともり、遠い汽笛が三度鳴った。ABCｱｲｳ");

Bitmap Drawn(TtfFont& font, int32_t char_height, const std::string& sjis = kLine) {
  const TextStyle style{-char_height, kBlack};
  Bitmap out(static_cast<int32_t>(sjis.size()) * (char_height + 1), char_height, 0xFF0000);
  font.DrawText(out, 0, 0, sjis, style);
  return out;
}

std::size_t OpenFiles() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

TEST(OutlineFont, AGlyphIsRasterisedOnceWhileTheBudgetHoldsIt) {
  TtfFont font;
  if (!font.ok()) GTEST_SKIP() << font.error();
  const Bitmap first16 = Drawn(font, 16), first24 = Drawn(font, 24);
  const int rasterised = font.Rasterised();
  EXPECT_GT(rasterised, 40);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Drawn(font, 16), first16);
    EXPECT_EQ(Drawn(font, 24), first24);
  }
  EXPECT_EQ(font.Rasterised(), rasterised) << "drawn again from what was kept";
  EXPECT_EQ(font.HeldHeights(), 2u);
  EXPECT_GT(font.HeldGlyphBytes(), 0u);
}

TEST(OutlineFont, ManyHeightsAndCharactersStayWithinTheBudgetAndDrawTheSame) {
  constexpr std::size_t kBudget = 64 << 10;  // about 30 glyphs 40 pixels high
  TtfFont font(platform::kDefaultFontFile, kBudget);
  if (!font.ok()) GTEST_SKIP() << font.error();
  const Bitmap before = Drawn(font, 24);
  const std::size_t files = OpenFiles();
  for (int32_t h = 10; h <= 40; ++h) {
    Drawn(font, h);
    EXPECT_LE(font.HeldGlyphBytes(), kBudget) << h;
    EXPECT_LE(font.HeldHeights(), TtfFont::kMostHeights) << h;
  }
  EXPECT_LE(OpenFiles(), files + TtfFont::kMostHeights) << "a face let go closes its file";
  const int rasterised = font.Rasterised();
  EXPECT_EQ(Drawn(font, 24), before) << "let go and rasterised again, the same";
  EXPECT_GT(font.Rasterised(), rasterised) << "24 was let go";
  // A line too long for the budget at one height: the glyphs before go,
  // every character is still drawn.
  const Bitmap large = Drawn(font, 200, Utf8ToSjis("潮風"));
  EXPECT_LE(font.HeldGlyphBytes(), kBudget) << "two such glyphs are past it";
  EXPECT_EQ(Drawn(font, 200, Utf8ToSjis("潮風")), large);
  int inked = 0;
  for (int32_t y = 0; y < large.height(); ++y)
    for (int32_t x = 0; x < large.width(); ++x) inked += large.at(x, y) == kBlack;
  EXPECT_GT(inked, 2000) << "two large glyphs drawn";
}

TEST(OutlineFont, EveryHeightAScenarioCanAskForLeavesAFewFacesOpen) {
  TtfFont font;
  if (!font.ok()) GTEST_SKIP() << font.error();
  const std::size_t files = OpenFiles();
  for (int32_t h = 1; h <= 255; ++h) Drawn(font, h, Utf8ToSjis("永"));
  EXPECT_EQ(font.HeldHeights(), TtfFont::kMostHeights);
  EXPECT_LE(OpenFiles(), files + TtfFont::kMostHeights);
  EXPECT_LE(font.HeldGlyphBytes(), TtfFont::kGlyphBudget);
}

}  // namespace
}  // namespace velmor::testing
