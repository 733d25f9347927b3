#include "app/save_screen.h"

#include <algorithm>

#include "app/own_saves.h"
#include "core/sjis.h"

namespace velmor::app {

namespace {

constexpr int32_t kCellWidth = 156;
constexpr int32_t kCellHeight = 142;
constexpr int32_t kLeft = 8;
constexpr int32_t kPageLeft = 560;  // "Page 1/3"
constexpr int32_t kTop = 30;
constexpr int32_t kThumbW = 128;
constexpr int32_t kThumbH = 96;
constexpr Color kBackground = Rgb(24, 24, 40);
constexpr Color kChosen = Rgb(255, 220, 0);
constexpr Color kTextColor = kWhite;
constexpr Color kDim = Rgb(160, 160, 160);

}  // namespace

void SaveScreen::Open(Mode mode) {
  if (!open_) covered_ = layers_.IMG;
  open_ = true;
  mode_ = mode;
  Draw();
}

void SaveScreen::Close() {
  if (!open_) return;
  open_ = false;
  layers_.IMG = covered_;
  covered_ = Bitmap();
  layers_.ImageDrawn(layers_.IMG.bounds());
}

void SaveScreen::Move(int step) { Select(std::clamp(selected_ + step, 1, kOwnSlots)); }

void SaveScreen::Select(int slot) {
  if (slot < 1 || slot > kOwnSlots) return;
  selected_ = slot;
  if (open_) Draw();
}

void SaveScreen::Refresh() {
  if (open_) Draw();
}

Rect SaveScreen::CellOf(int index) const {
  const int32_t x = kLeft + (index % kColumns) * kCellWidth;
  const int32_t y = kTop + (index / kColumns) * kCellHeight;
  return Rect::FromSize(x, y, kCellWidth - 4, kCellHeight - 4);
}

int SaveScreen::SlotAt(Point at) const {
  const int first = (selected_ - 1) / kPerPage * kPerPage + 1;
  for (int i = 0; i < kPerPage && first + i <= kOwnSlots; ++i) {
    const Rect r = CellOf(i);
    if (at.x >= r.left && at.x < r.right && at.y >= r.top && at.y < r.bottom) return first + i;
  }
  return 0;
}

void SaveScreen::Text(int32_t x, int32_t y, std::string_view sjis, Color color, int32_t width) {
  // The font fills each cell white: the text goes onto a strip of its own,
  // whose white is then made the background.
  platform::TextStyle style{-12, color};
  Bitmap strip(width > 0 ? width : kCellWidth, 14, kWhite);
  font_.DrawText(strip, 0, 0, sjis, style);
  for (int32_t j = 0; j < strip.height(); ++j)
    for (int32_t i = 0; i < strip.width(); ++i)
      if (strip.at(i, j) != kWhite && x + i < layers_.IMG.width() && y + j < layers_.IMG.height())
        layers_.IMG.set(x + i, y + j, strip.at(i, j));
}

void SaveScreen::DrawCell(int slot, Rect cell) {
  const Color frame = slot == selected_ ? kChosen : kDim;
  FillRect(layers_.IMG, cell, frame);
  FillRect(layers_.IMG, Rect{cell.left + 2, cell.top + 2, cell.right - 2, cell.bottom - 2},
           kBackground);
  const Rect thumb = Rect::FromSize(cell.left + (cell.width() - kThumbW) / 2, cell.top + 4,
                                    kThumbW, kThumbH);
  const std::string number = std::to_string(slot);
  formats::FormatResult<formats::SaveFile> file = read_(slot);
  if (file) {
    StretchBlt(layers_.IMG, thumb, file->header.thumbnail);
    Text(cell.left + 4, thumb.bottom + 4, number + "  " + file->header.date, kTextColor);
    Text(cell.left + 4, thumb.bottom + 20, file->header.last_line.view(), kDim);
  } else {
    const bool empty = file.fault().what == save_texts::kEmptySlot;
    Text(cell.left + 4, thumb.bottom + 4,
         number + "  " + Utf8ToSjis(Tr(empty ? save_texts::kScreenEmpty : save_texts::kScreenDamaged)),
         kDim);
  }
}

void SaveScreen::Draw() {
  FillRect(layers_.IMG, layers_.IMG.bounds(), kBackground);
  // Velmor's texts are UTF-8; the game's face draws Shift-JIS.
  // The title has the line up to the page number.
  Text(kLeft, 8, Utf8ToSjis(Tr(mode_ == Mode::Save ? save_texts::kScreenSave : save_texts::kScreenLoad)),
       kChosen, kPageLeft - kLeft - 8);
  const int page = (selected_ - 1) / kPerPage;
  const int pages = (kOwnSlots + kPerPage - 1) / kPerPage;
  Text(kPageLeft, 8,
       Utf8ToSjis(Fill(Tr(save_texts::kScreenPage), {std::to_string(page + 1), std::to_string(pages)})),
       kDim);
  for (int i = 0; i < kPerPage && page * kPerPage + i < kOwnSlots; ++i)
    DrawCell(page * kPerPage + i + 1, CellOf(i));
  layers_.ImageDrawn(layers_.IMG.bounds());
}

}  // namespace velmor::app
