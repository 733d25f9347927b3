// The status strip at the right of the framed screen: the two main names,
// gauges, the calendar date with its weekday and the money.
#pragma once

#include <array>
#include <cstdint>

#include <string_view>

#include "core/byte_string.h"
#include "graphics/bitmap.h"
#include "graphics/layers.h"
#include "platform/font.h"
#include "scenario/scenario.h"

namespace velmor::text {

// The colours of the strip.
constexpr Color kGaugeBack = Rgb(165, 206, 231);
constexpr Color kGaugeBlue = Rgb(0, 0, 255);
constexpr Color kGaugeYellow = Rgb(255, 255, 0);
constexpr Color kGaugeRed = Rgb(255, 0, 0);
constexpr Color kSundayColor = Rgb(255, 0, 0);
constexpr Color kSaturdayColor = Rgb(0, 0, 255);

// The gauges: 100 x 16 pixels from x = 514.
constexpr int32_t kGaugeLeft = 514;
constexpr int32_t kGaugeWidth = 100;
constexpr int32_t kGaugeHeight = 16;

// The strip's texts and numbers (texts as Shift-JIS bytes).

// The bar length of a gauge in pixels, 0..100: the value's magnitude, at
// most full scale, in rounded percent of full scale.
int32_t GaugePercent(int16_t value, int32_t scale);
// The percentage over a gauge, 4 characters: "  5%", " 50%", "100%".
ByteString PercentText(int32_t percent);
// The date up to the weekday's bracket; month 4, day 12 give " 4/12(".
ByteString DateText(int16_t month, int16_t day);
// The money, counted in hundreds: the yen sign (byte 0x5C) and the amount
// right-aligned in 8 characters; 123 gives the sign, 3 blanks and 12300.
// Nothing or less shows 0.
ByteString MoneyText(int16_t money);
// The weekday's name, Sunday (0) first; empty outside 0..6.
Sstr DayName(int16_t weekday);

class StatusDisplay {
 public:
  StatusDisplay(graphics::Layers& layers, platform::Font& font, scenario::Scenario& scn)
      : layers_(layers), font_(font), scn_(scn) {}

  int StatusLayout = 0;  // 0: frame "WK01.BMP" and its strip; 1: "WK02.BMP"

  // Draws the strip into the back buffer over whatever is there.
  void DrawStatus();
  void DrawGauge(int32_t y, int16_t value, int32_t scale, Color color, bool with_percentage);

 private:
  int16_t Item(int slot);  // the work variable that feeds a slot of StatusVars
  void DrawText(int32_t x, int32_t y, std::string_view sjis);

  graphics::Layers& layers_;
  platform::Font& font_;
  scenario::Scenario& scn_;
};

}  // namespace velmor::text
