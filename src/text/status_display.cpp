#include "text/status_display.h"

#include <string>

#include "core/sjis.h"

namespace velmor::text {

namespace {

// The slots of StatusVars.
enum Slot : int {
  kGauge76,
  kGauge111,
  kGauge147,  // layout 1, full scale 150, yellow
  kGauge183,  // layout 1, with percentage
  kGauge270,  // layout 1, with percentage
  kMonth,
  kDay,
  kWeekday,
  kMoney,
  kGauge213,  // layout 0
  kGauge248,  // layout 0
};

constexpr int32_t kFullScale = 1000;
constexpr int32_t kYellowFullScale = 150;

// Puts blanks in front of `text` until it is `width` characters long.
std::string PadLeft(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

}  // namespace

int32_t GaugePercent(int16_t value, int32_t scale) {
  if (scale <= 0) return 0;
  int32_t v = value < 0 ? -static_cast<int32_t>(value) : value;
  if (v > scale) v = scale;
  return (v * 100 + 50) / scale;
}

ByteString PercentText(int32_t percent) {
  return ByteString(PadLeft(std::to_string(percent), 3) + "%");
}

ByteString DateText(int16_t month, int16_t day) {
  return ByteString(PadLeft(std::to_string(month), 2) + "/" + PadLeft(std::to_string(day), 2) +
                    "(");
}

ByteString MoneyText(int16_t money) {
  std::string amount = money >= 1 ? std::to_string(money) + "00" : "0";
  return ByteString("\\" + PadLeft(amount, 8));
}

Sstr DayName(int16_t weekday) {
  static constexpr const char* kDayNames[7] = {"日", "月", "火", "水", "木", "金", "土"};
  if (weekday < 0 || weekday > 6) return {};
  return Sstr(Sjis(kDayNames[weekday]));
}

int16_t StatusDisplay::Item(int slot) { return scn_.Work(scn_.StatusVars[slot]); }

void StatusDisplay::DrawText(int32_t x, int32_t y, std::string_view sjis) {
  const int32_t width = font_.DrawText(layers_.BMP, x, y, sjis, layers_.font);
  layers_.BackDrawn(Rect::FromSize(x, y, width, layers_.font.CharHeight()));
}

void StatusDisplay::DrawGauge(int32_t y, int16_t value, int32_t scale, Color color,
                              bool with_percentage) {
  FillRect(layers_.BMP, Rect::FromSize(kGaugeLeft, y, kGaugeWidth, kGaugeHeight), kGaugeBack);
  layers_.BackDrawn(Rect::FromSize(kGaugeLeft, y, kGaugeWidth, kGaugeHeight));
  if (value < 0) color = kGaugeRed;
  int32_t p = GaugePercent(value, scale);
  FillRect(layers_.BMP, Rect::FromSize(kGaugeLeft, y, p, kGaugeHeight), color);
  if (with_percentage) {
    layers_.font.height = 12;  // stays so until the strip restores the font
    DrawText(592, y - 12, PercentText(p).view());
  }
}

void StatusDisplay::DrawStatus() {
  const platform::TextStyle saved = layers_.font;

  layers_.font.height = 24;
  DrawText(512, 26, scn_.mcr[0].view());
  DrawGauge(76, Item(kGauge76), kFullScale, kGaugeBlue, false);
  DrawGauge(111, Item(kGauge111), kFullScale, kGaugeBlue, false);
  // The second name at the height in force here: 24.
  if (StatusLayout == 1) {
    DrawText(512, 224, scn_.mcr[1].view());
    DrawGauge(147, Item(kGauge147), kYellowFullScale, kGaugeYellow, false);
    DrawGauge(183, Item(kGauge183), kFullScale, kGaugeBlue, true);
    DrawGauge(270, Item(kGauge270), kFullScale, kGaugeBlue, true);
  } else {
    DrawText(512, 162, scn_.mcr[1].view());
    DrawGauge(213, Item(kGauge213), kFullScale, kGaugeBlue, false);
    DrawGauge(248, Item(kGauge248), kFullScale, kGaugeBlue, false);
  }

  layers_.font = {20, kBlack};
  DrawText(516, 300, DateText(Item(kMonth), Item(kDay)).view());
  int16_t weekday = Item(kWeekday);
  if (weekday == 0) layers_.font.color = kSundayColor;
  if (weekday == 6) layers_.font.color = kSaturdayColor;
  layers_.font.height = 16;
  DrawText(582, 302, DayName(weekday).view());  // nothing for a day outside the week
  layers_.font = {20, kBlack};
  DrawText(598, 300, ")");

  DrawText(516, 336, MoneyText(Item(kMoney)).view());

  layers_.font = saved;
}

}  // namespace velmor::text
