// The text subsystems of a whole game on the headless platform (not
// started), with a font that records every character it draws.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/sjis.h"
#include "platform/shared/ttf_font.h"
#include "support/assembly.h"
#include "support/game_data.h"

namespace velmor::testing {

// One character as the font was asked to draw it (bytes in Shift-JIS).
struct DrawnChar { int32_t x, y; std::string bytes; platform::TextStyle style; };
using Drawn = std::vector<DrawnChar>;

// Draws with the real font and keeps a list of what it drew.
struct RecordingFont : platform::Font {
  explicit RecordingFont(platform::Font& inner) : inner(inner) {}
  int32_t DrawChar(Bitmap& dst, int32_t x, int32_t y, const uint8_t* ch, int length,
                   const platform::TextStyle& style) override {
    drawn.push_back({x, y, std::string(reinterpret_cast<const char*>(ch), length), style});
    return inner.DrawChar(dst, x, y, ch, length, style);
  }
  platform::Font& inner;
  Drawn drawn;
};

constexpr Color kSceneColor = Rgb(10, 20, 30);  // BMP and IMG at the start
constexpr Color kFrameA = Rgb(200, 0, 0);       // click mark, first frame
constexpr Color kFrameB = Rgb(0, 200, 0);       // click mark, second frame

// Texts are Shift-JIS, their codes written as bytes: 01 line feed, 02 new
// page, 03 colour, 04 size (each with a byte after it), 05 wait for a click.
inline std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

inline std::string Repeat(std::string_view s, int n) {
  std::string out;
  while (n-- > 0) out += s;
  return out;
}

// The characters' bytes, concatenated.
inline std::string Text(const Drawn& drawn) {
  std::string s;
  for (const DrawnChar& c : drawn) s += c.bytes;
  return s;
}

struct TextRig {
  TextRig() {
    form.DatPath = kDat;  // as start-up sets it
    layers.BMP = layers.IMG = Bitmap(640, 480, kSceneColor);
    layers.SP1 = Bitmap(24, 48, kFrameA);
    FillRect(layers.SP1, {0, 24, 24, 48}, kFrameB);
    win.SetUp(Bitmap(628, 100, kWhite));
  }

  platform::TtfFont ttf;
  RecordingFont font{ttf};
  GameRig game{{255}, {640, 480}, "", &font};
  FormInternals form{game.form()};
  InputState& input = form.input;
  scenario::Scenario& scn = form.scn;
  graphics::Layers& layers = form.layers;
  text::MessageWindow& win = form.msgwin;
  text::StatusDisplay& status = form.status;
  text::Choices& choices = form.choices;

  // The scenario's turn, then the end of the tick (the click is forgotten).
  void Tick() {
    scn.RunStep();
    input.clk = 0;
  }
  // Ticks until no wait handler is installed (at most 1000).
  void TickUntilIdle() {
    for (int n = 0; n < 1000 && scn.MainProc != scenario::WaitHandler::None; ++n) Tick();
  }
  // Loads a program written in assembly at offset 0.
  void Load(std::string_view source) {
    const std::vector<uint8_t> bytes = Assembled(source);
    std::memcpy(scn.snx.data(), bytes.data(), bytes.size());
    scn.inx = 0;
  }
  void Type(std::string_view sjis, int speaker = 1) {
    ByteString text(sjis);
    win.StartMessage(speaker, &text);
  }
  // The characters the font drew since the last call, or in a tick.
  Drawn TakeDrawn() { return std::exchange(font.drawn, {}); }
  Drawn TickDrawn() {
    Tick();
    return TakeDrawn();
  }
  // The characters of a whole message typed at once (the label left out).
  Drawn TypeAtOnce(std::string_view sjis, int speaker = 1) {
    win.msg.spd = 0;
    Type(sjis, speaker);
    TakeDrawn();
    TickUntilIdle();
    return TakeDrawn();
  }
};

// How many pixels of r in b are c; whether all are; whether r holds the same
// pixels in a and b.
inline int CountOf(const Bitmap& b, const Rect& r, Color c) {
  int n = 0;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) n += b.at(x, y) == c;
  return n;
}
inline bool AllOf(const Bitmap& b, const Rect& r, Color c) {
  return CountOf(b, r, c) == r.width() * r.height();
}
inline bool SameRect(const Bitmap& a, const Bitmap& b, const Rect& r) {
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x)
      if (a.at(x, y) != b.at(x, y)) return false;
  return true;
}

}  // namespace velmor::testing
