// The save/load screen of our own saves: twelve slots a page, each with its
// thumbnail, number, date and last message line, drawn over the picture as
// the backlog is. While it is open the game is held; when it closes, the
// picture it covered comes back.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "formats/result.h"
#include "formats/snapshot_file.h"
#include "graphics/layers.h"
#include "platform/font.h"

namespace velmor::app {

class SaveScreen {
 public:
  enum class Mode { Save, Load };
  static constexpr int kColumns = 4;
  static constexpr int kRows = 3;
  static constexpr int kPerPage = kColumns * kRows;

  // `read` gives a slot's header (or why it cannot be read).
  using ReadHeader = std::function<formats::FormatResult<formats::SaveFile>(int slot)>;
  SaveScreen(graphics::Layers& layers, platform::Font& font, ReadHeader read)
      : layers_(layers), font_(font), read_(std::move(read)) {}

  bool open() const { return open_; }
  Mode mode() const { return mode_; }
  // The slot chosen (1..kOwnSlots).
  int selected() const { return selected_; }

  void Open(Mode mode);
  void Close();
  // Moves the choice by `step` slots (kept within 1..kOwnSlots).
  void Move(int step);
  // The slot under a point of the logical screen; 0 for none.
  int SlotAt(Point at) const;
  void Select(int slot);
  // The slots were written anew: read and drawn again.
  void Refresh();

 private:
  void Draw();
  void DrawCell(int slot, Rect cell);
  // The text cut at `width` pixels (a cell's, unless said).
  void Text(int32_t x, int32_t y, std::string_view sjis, Color color, int32_t width = 0);
  Rect CellOf(int index) const;

  graphics::Layers& layers_;
  platform::Font& font_;
  ReadHeader read_;
  bool open_ = false;
  Mode mode_ = Mode::Save;
  int selected_ = 1;
  Bitmap covered_;
};

}  // namespace velmor::app
