// The text subsystems of a whole game on the headless platform (not
// started), with a font that records every character it draws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shared/ttf_font.h"
#include "support/game_data.h"

namespace velmor::testing {

// One character as the font was asked to draw it.
struct DrawnChar {
  int32_t x;
  int32_t y;
  std::string bytes;  // Shift-JIS
  platform::TextStyle style;
};

// Draws with the real font and keeps a list of what it drew.
class RecordingFont : public platform::Font {
 public:
  explicit RecordingFont(platform::Font& inner) : inner_(inner) {}
  int32_t DrawChar(Bitmap& dst, int32_t x, int32_t y, const uint8_t* ch, int length,
                   const platform::TextStyle& style) override;

  std::vector<DrawnChar> drawn;
  // The characters drawn, concatenated.
  std::string Text() const;

 private:
  platform::Font& inner_;
};

// Colours of the pictures the rig makes.
constexpr Color kSceneColor = Rgb(10, 20, 30);  // BMP and IMG at the start
constexpr Color kFrameA = Rgb(200, 0, 0);       // click mark, first frame
constexpr Color kFrameB = Rgb(0, 200, 0);       // click mark, second frame

struct TextRig {
  TextRig();

  platform::TtfFont ttf;
  RecordingFont font{ttf};
  GameRig game{{255}, {640, 480}, "", &font};
  app::TForm1& form = game.form();
  platform::HeadlessDialogs& dialogs = game.game->dialogs();
  InputState& input = form.input;
  scenario::Scenario& scn = form.scn;
  graphics::Layers& layers = form.layers;
  SpinEdit& SpeedSpin = form.panels.SpeedSpin;
  text::MessageWindow& win = form.msgwin;
  text::StatusDisplay& status = form.status;
  text::Choices& choices = form.choices;

  // The scenario's turn, then the end of the tick (the click is forgotten).
  void Tick();
  // Ticks until no wait handler is installed; returns how many ran (at most
  // `limit`).
  int TickUntilIdle(int limit = 1000);
  // Loads a program at offset 0.
  void Load(const std::vector<uint8_t>& bytes);
  // Starts typing `text` (Shift-JIS) with a speaker.
  void Type(std::string_view sjis, int speaker = 1);
  // The characters the font drew since the last call.
  std::vector<DrawnChar> TakeDrawn();
};

// "a" repeated: a text of n half-width characters.
std::string Repeat(std::string_view s, int n);

// Writes a bitmap as a PNG into the build folder; returns the path, or an
// empty string when it could not be written.
std::string SavePng(const Bitmap& b, const std::string& name);

// True when rectangle r holds the same pixels in both bitmaps.
bool SameRect(const Bitmap& a, const Bitmap& b, const Rect& r);
// True when every pixel of r in b is c.
bool AllOf(const Bitmap& b, const Rect& r, Color c);
// How many pixels of r in b are c.
int CountOf(const Bitmap& b, const Rect& r, Color c);

}  // namespace velmor::testing
