#include "platform/headless/headless_platform.h"

#include "platform/font.h"

namespace velmor::platform {

HeadlessWindow::HeadlessWindow(Size screen, Font* font)
    : screen_(screen), font_(font), canvas_(screen.width, screen.height) {}

void HeadlessWindow::Resize(Size screen) {
  screen_ = screen;
  canvas_ = Bitmap(screen.width, screen.height);
  stretched_whole_ = false;
}

int HeadlessWindow::ShowCursor(bool show) {
  cursor_count_ += show ? 1 : -1;
  return cursor_count_;
}

void HeadlessWindow::DrawOnWindow(const Bitmap& bmp, Point at) {
  DrawBitmap(canvas_, at.x, at.y, bmp);
  if (!Intersect(Rect::FromSize(at.x, at.y, bmp.width(), bmp.height()), last_rect_).empty())
    stretched_whole_ = false;
}

void HeadlessWindow::StretchOnWindow(const Bitmap& bmp, const Rect& r, const ChangedRects& changed,
                                     const Rect& kept) {
  // What is on the canvas is the last stretch, unless something else was
  // drawn over it since: then only what changed is stretched again.
  const Size size{bmp.width(), bmp.height()};
  const bool again = StretchesOnlyChanges(size, r);
  auto area = [](const Rect& a) {
    return static_cast<uint64_t>(a.width()) * static_cast<uint64_t>(a.height());
  };
  if (again)
    for (const Rect& c : changed.rects()) pixels_taken_ += area(Intersect(c, bmp.bounds()));
  else
    pixels_taken_ += area(bmp.bounds());
  if (sharp_) {
    StretchSharp(bmp, r, again ? changed : ChangedRects(bmp.bounds()), !again);
  } else if (again) {
    const PixelView view{canvas_.row(0), canvas_.width(), canvas_.width(), canvas_.height()};
    for (const Rect& c : changed.rects())
      StretchBlt(view, r, bmp, StretchedArea(Intersect(c, bmp.bounds()), size, r));
  } else {
    StretchBlt(canvas_, r, bmp);
  }
  stretched_whole_ = true;
  last_rect_ = r;
  last_size_ = size;
  ++presentations_;
  if (!check_changes_) return;
  if (last_presented_.width() == bmp.width() && last_presented_.height() == bmp.height()) {
    for (int32_t y = 0; y < bmp.height(); ++y)
      for (int32_t x = 0; x < bmp.width(); ++x)
        if (bmp.at(x, y) != last_presented_.at(x, y) && !changed.contains(x, y) &&
            !kept.contains(x, y)) {
          ++unreported_changes_;
          y = bmp.height();
          break;
        }
  }
  last_presented_ = bmp;
}

void HeadlessWindow::StretchSharp(const Bitmap& bmp, const Rect& r, const ChangedRects& changed,
                                  bool whole) {
  if (canvas_.empty() || bmp.empty()) return;
  const int32_t k = SharpFactor({bmp.width(), bmp.height()}, r);
  if (whole) enlarged_ = Bitmap();
  const PixelView view{canvas_.row(0), canvas_.width(), canvas_.width(), canvas_.height()};
  for (const Rect& c : changed.rects()) {
    const Rect part = Intersect(c, bmp.bounds());
    EnlargeWhole(bmp, k, enlarged_, part);
    // A filtered pixel blends its neighbours too: a changed pixel reaches
    // one further.
    const Rect reach = Intersect(Rect{part.left * k - 1, part.top * k - 1, part.right * k + 1,
                                      part.bottom * k + 1},
                                 enlarged_.bounds());
    StretchBltSmooth(view, r, enlarged_,
                     whole ? r : StretchedArea(reach, {enlarged_.width(), enlarged_.height()}, r));
  }
}

void HeadlessWindow::SetSharpScaling(bool on) {
  if (sharp_ == on) return;
  sharp_ = on;
  stretched_whole_ = false;  // the next stretch is drawn whole
}

void HeadlessWindow::DrawCornerText(const std::string& text) {
  if (corner_texts_.size() == kCornerTextsKept) corner_texts_.erase(corner_texts_.begin());
  corner_texts_.push_back(text);
  if (font_) font_->DrawText(canvas_, 0, 0, text, TextStyle{-16, kBlack});
  stretched_whole_ = false;  // the text may stand over the picture
}

}  // namespace velmor::platform
