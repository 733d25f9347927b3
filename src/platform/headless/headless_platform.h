// The headless platform: a window that is only a bitmap, and a virtual
// clock.
#pragma once

#include <cstddef>
#include <cstdio>

#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/window.h"

namespace velmor::platform {

class Font;

class HeadlessWindow : public Window {
 public:
  explicit HeadlessWindow(Size screen, Font* font = nullptr);

  Size ScreenSize() const override { return screen_; }
  Point CursorPos() const override { return cursor_; }
  int ShowCursor(bool show) override;
  void DrawOnWindow(const Bitmap& bmp, Point at) override;
  using Window::StretchOnWindow;
  void StretchOnWindow(const Bitmap& bmp, const Rect& r, const ChangedRects& changed,
                       const Rect& kept) override;
  bool KeepsShown(const Bitmap& bmp, const Rect& r) const override {
    return StretchesOnlyChanges({bmp.width(), bmp.height()}, r);
  }
  // Checks every presentation against the last: a change outside the
  // rectangles the game reported is counted (tests switch this on; it
  // costs a comparison of the whole picture and a copy of it a tick).
  void CheckReportedChanges(bool on = true) {
    check_changes_ = on;
    if (!on) last_presented_ = Bitmap();
  }
  int UnreportedChanges() const { return unreported_changes_; }
  void DrawCornerText(const std::string& text) override;
  // Kept and told, not drawn: the canvas shows the stretch a window without
  // filtering would (so that frames compare exactly).
  void SetSmoothScaling(bool on) override { smooth_ = on; }
  bool SmoothScaling() const { return smooth_; }
  // Drawn: the canvas shows the sharp scaling as a window would.
  void SetSharpScaling(bool on) override;
  bool SharpScaling() const { return sharp_; }

  void SetCursorPos(Point p) override { cursor_ = p; }
  // The window's client area takes a new size; it is empty (black) until
  // the game paints it.
  void Resize(Size screen);
  bool SystemPointerVisible() const { return cursor_count_ >= 0; }
  int CursorCount() const { return cursor_count_; }
  // Everything drawn on the window, as the player would see it.
  const Bitmap& Canvas() const { return canvas_; }
  int Presentations() const { return presentations_; }
  // Pixels of the presented pictures the window looked at (what it was told
  // changed, or the whole picture): what presenting costs.
  uint64_t PixelsTaken() const { return pixels_taken_; }
  // The corner texts drawn, oldest first: the newest kCornerTextsKept (a
  // scenario can fault every tick for hours).
  static constexpr std::size_t kCornerTextsKept = 64;
  const std::vector<std::string>& CornerTexts() const { return corner_texts_; }

 private:
  Size screen_;
  Font* font_;
  Point cursor_;
  int cursor_count_ = 0;
  Bitmap canvas_;
  int presentations_ = 0;
  uint64_t pixels_taken_ = 0;
  // The canvas shows all of the last stretch (of a picture of last_size_
  // into last_rect_): the next stretches only what the game says changed.
  bool stretched_whole_ = false;
  Rect last_rect_;
  Size last_size_;
  bool check_changes_ = false;
  Bitmap last_presented_;
  int unreported_changes_ = 0;
  std::vector<std::string> corner_texts_;
  bool smooth_ = false;
  bool sharp_ = false;
  Bitmap enlarged_;  // the sharp scaling's first step
  bool StretchesOnlyChanges(Size size, const Rect& r) const {
    return stretched_whole_ && r == last_rect_ && size == last_size_ && !canvas_.empty();
  }
  void StretchSharp(const Bitmap& bmp, const Rect& r, const ChangedRects& changed, bool whole);
};

// Time that moves only when told: the headless game's 20 ms ticks.
class VirtualClock : public Clock {
 public:
  explicit VirtualClock(uint32_t start_ms = 12 * 3600 * 1000) : ms_(start_ms) {}
  uint32_t UtcTimeOfDayMs() override { return ms_ % (24u * 3600u * 1000u); }
  // The first day of 2000, at the virtual time (a run is repeatable).
  std::string LocalDateTime() override {
    const uint32_t minutes = ms_ / 60000u;
    char text[32];
    std::snprintf(text, sizeof text, "2000-01-%02u %02u:%02u", 1u + minutes / 1440u,
                  minutes / 60u % 24u, minutes % 60u);
    return text;
  }
  void Advance(uint32_t ms) { ms_ += ms; }

 private:
  uint32_t ms_;
};

}  // namespace velmor::platform
