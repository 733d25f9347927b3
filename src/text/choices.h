// Choices: up to seven options in the message window, the row under the
// pointer shown inverted, a left click answering.
#pragma once

#include <array>
#include <cstdint>

#include "core/byte_string.h"
#include "core/input_state.h"
#include "graphics/layers.h"
#include "platform/font.h"
#include "scenario/scenario.h"
#include "text/message_window.h"

namespace velmor::text {

class Backlog;

// What stands before every option: a blank, the full-width marker, a blank.
ByteString ChoiceMarker();

class Choices {
 public:
  Choices(graphics::Layers& layers, platform::Font& font, scenario::Scenario& scn,
          InputState& input, MessageWindow& window)
      : layers_(layers), font_(font), scn_(scn), input_(input), window_(window) {}

  std::array<ByteString, 8> ChoiceText;  // the options; an empty slot ends the list
  int ChoiceCount = 0;
  int ChoiceHot = -1;
  int ChoiceLast = -1;
  // Where the option taken is kept for reading again; none: not kept.
  Backlog* log = nullptr;

  // Takes the options of a choice instruction (at most 7; a list without
  // any counts as one empty option) and shows them.
  void ReadChoices(uint16_t result_var, const scenario::ChoiceList& list);
  // Shows the list on its first call, then tracks the pointer each tick.
  void ChoiceProc();

  // Row k's option as the scenario gave it, without the marker.
  ByteString OptionText(int row) const;
  // The area of row k that the pointer highlights: the option's bytes and
  // one more half-width unit.
  Rect HighlightRect(int row) const;
  // The row at height msy of the logical screen, or -1 for none.
  int RowAt(int32_t msy) const;
  // A point on row k's marker: where a pointer stands to highlight it.
  Point RowPoint(int row) const;

 private:
  void ShowChoices();
  void Invert(int row);
  bool IsRow(int row) const { return row >= 0 && row < ChoiceCount; }

  graphics::Layers& layers_;
  platform::Font& font_;
  scenario::Scenario& scn_;
  InputState& input_;
  MessageWindow& window_;
};

}  // namespace velmor::text
