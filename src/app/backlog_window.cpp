#include "app/backlog_window.h"

#include "core/texts.h"

namespace velmor::app {

bool BacklogWindow::Open() {
  if (open_ || log_.empty()) return false;
  open_ = true;
  shown_ = log_.size() - 1;
  covered_ = layers_.IMG;
  Draw();
  return true;
}

void BacklogWindow::Close() {
  if (!open_) return;
  open_ = false;
  layers_.IMG = covered_;
  covered_ = Bitmap();
  layers_.ImageDrawn(Rect{0, 0, layers_.IMG.width(), layers_.IMG.height()});
}

void BacklogWindow::Older() {
  if (!open_ || shown_ == 0) return;
  --shown_;
  Draw();
}

void BacklogWindow::Newer() {
  if (!open_) return;
  if (shown_ + 1 >= log_.size()) {
    Close();
    return;
  }
  ++shown_;
  Draw();
}

void BacklogWindow::Repaint() {
  if (open_) Draw();
}

std::string BacklogWindow::Position() const {
  if (!open_) return {};
  return Fill(Tr("Backlog %s/%s"), {std::to_string(shown_ + 1), std::to_string(log_.size())});
}

void BacklogWindow::Draw() {
  // Drawn whole on a copy of what it covers, and only the window's
  // rectangle taken over: rows that run on below the frame stay out of the
  // picture, as they do when typed.
  Bitmap page = covered_;
  text::DrawBacklogEntry(page, font_, msg_, log_.at(shown_));
  CopyRect(layers_.IMG, msg_.BoxRect, page);
  layers_.ImageDrawn(msg_.BoxRect);
}

}  // namespace velmor::app
