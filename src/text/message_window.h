// The message window: text typed character by character at the player's
// speed, with speaker labels, embedded control codes, line wrap, page
// overflow and page waits with a blinking click mark.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/byte_string.h"
#include "core/controls.h"
#include "core/geometry.h"
#include "core/input_state.h"
#include "graphics/bitmap.h"
#include "graphics/color_table.h"
#include "graphics/layers.h"
#include "platform/font.h"
#include "scenario/scenario.h"

namespace velmor::text {


constexpr int32_t LineGap = 3;


// The click-wait mark: its two frames in SP1 and where it shows.
constexpr Rect kBlinkFrameA{0, 0, 24, 24};
constexpr Rect kBlinkFrameB{0, 24, 24, 48};
constexpr Rect kBlinkIconRect{584, 446, 608, 470};

// The text budget: every character or code taken costs this many units.
constexpr uint16_t kCharCost = 16;

// The message-window record.
struct BoxRec {
  Bitmap box;         // the frame picture "WK00.BMP"
  Rect BoxRect;       // where the frame lies
  int32_t bpx = 6;    // where the frame is drawn
  int32_t bpy = 374;
  int32_t wpx = 40;   // text origin; the speaker label is drawn here
  int32_t wpy = 380;
  int32_t wdx = 560;  // usable line width from wpx
  int32_t wdy = 93;   // usable page height from wpy
  int32_t csx = 0;    // typing position relative to the text origin
  int32_t csy = 0;
  int32_t fdx = 8;    // half-width advance: abs(font height - 1) div 2
  int32_t fdy = 19;   // line pitch: abs(font height) + LineGap
  uint16_t spd = 96;  // budget units added per tick; 0 types a page at once
  uint16_t pri = 0;   // budget carried between ticks
};

// Makes room for a character `advance` pixels wide at the typing position:
// a row that cannot take it wraps to the next. True when the wrap ran past
// the bottom of the page (the caller begins a new page).
bool WrapForChar(BoxRec& msg, int32_t advance);
// The half-width unit and the line pitch of a font of signed height h.
int32_t HalfWidthUnit(int32_t h);
int32_t LinePitch(int32_t h);

class Backlog;

class MessageWindow {
 public:
  MessageWindow(graphics::Layers& layers, platform::Font& font, scenario::Scenario& scn,
                InputState& input, SpinEdit& SpeedSpin);

  BoxRec msg;
  ByteString MsgText;
  uint32_t MsgPos = 1;  // 1-based; passes 255 after the last byte of a full text
  bool PageWait = false;
  uint8_t BlinkCount = 0;
  // Where the pages typed are kept for reading again; none: not kept.
  Backlog* log = nullptr;

  // Start-up: the frame picture, BoxRect, and fdx/fdy from the canvas font.
  void SetUp(const Bitmap& frame);

  // A message instruction: speaker 0..21; `text` null retypes the previous
  // text.
  void StartMessage(int speaker, const ByteString* text);
  // The wait handler: types as many characters as this tick's budget pays for.
  void TypeText();
  // The byte at MsgPos, advancing; taking the last byte ends the message.
  // Nothing once the text is used up (a code or a lead byte cut off at the
  // end of the text has nothing after it).
  std::optional<uint8_t> NextTextByte();

  // The label drawn for a speaker: "【 " + name + " 】". Speaker 2 is the
  // hero (entry 0); speakers past the name table get an empty name.
  ByteString SpeakerLabel(int speaker) const;

  // Draws the frame picture `box` at (bpx, bpy) into the back buffer: the
  // label, text and options go.
  void ClearWindow();

  void SpeedSpinChange();
  void SpeedSpinDblClick() { SpeedSpin_.SetValue(32); }
  // The typing speed for a speed control value v (0..128).
  static uint16_t SpeedFromSetting(int v) { return static_cast<uint16_t>(v > 0 ? 128 - v : 0); }
  // The setting whose handler gives the speed: 128 - spd for 1..127, 0 for
  // 0. A speed of 128 or more (8 characters a tick and up) has no setting
  // of its own; the control then shows 0, the fastest.
  static int SettingForSpeed(uint16_t spd) { return spd >= 1 && spd <= 127 ? 128 - spd : 0; }

 private:
  graphics::Layers& layers_;
  platform::Font& font_;
  scenario::Scenario& scn_;
  InputState& input_;
  SpinEdit& SpeedSpin_;
  // One step of the typing loop: a code or a character.
  void TypeOne(uint8_t b);
  void TypeChar(uint8_t b);
  void SetTextSize(uint8_t n);
  void BlinkStep();

  bool stop_tick_ = false;
};

}  // namespace velmor::text
