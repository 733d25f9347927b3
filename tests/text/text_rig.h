// The text subsystems on the headless platform, wired to a scenario engine
// through a host that forwards the text operations and records the rest, with
// a font that records every character it draws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/controls.h"
#include "core/input_state.h"
#include "graphics/layers.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/memory_files.h"
#include "platform/shared/ttf_font.h"
#include "scenario/scenario.h"
#include "support/recording_host.h"
#include "text/choices.h"
#include "text/message_window.h"
#include "text/status_display.h"

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

// Forwards the text operations to the text subsystems and records the rest.
class TextHost : public RecordingHost {
 public:
  text::MessageWindow* window = nullptr;
  text::StatusDisplay* status = nullptr;
  text::Choices* choices = nullptr;
  graphics::Layers* layers = nullptr;

  void StartMessage(int speaker, const ByteString* text) override;
  void ReadChoices(uint16_t result_var, const scenario::ChoiceList& list) override;
  void ShowStatus() override;
  void SetStatusLayout(int layout) override { status->StatusLayout = layout; }
};

// Colours of the pictures the rig makes.
constexpr Color kSceneColor = Rgb(10, 20, 30);  // BMP and IMG at the start
constexpr Color kFrameA = Rgb(200, 0, 0);       // click mark, first frame
constexpr Color kFrameB = Rgb(0, 200, 0);       // click mark, second frame

struct TextRig {
  TextRig();

  platform::MemoryFiles files;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessWindow window{{640, 480}};
  platform::VirtualClock clock;
  InputState input;
  std::string dat_path{"DATA/"};
  TextHost host;
  scenario::Scenario scn;
  graphics::BitmapLoader loader{files, dat_path};
  graphics::Layers layers{loader, window};
  platform::TtfFont ttf;
  RecordingFont font{ttf};
  SpinEdit SpeedSpin{"SpeedSpin", 0, 128, -16, 96};
  text::MessageWindow win{layers, font, scn, input, SpeedSpin};
  text::StatusDisplay status{layers, font, scn};
  text::Choices choices{layers, font, scn, input, win};

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
