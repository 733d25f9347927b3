// The headless platform: a window that is only a bitmap, message boxes
// answered from a queue, and a virtual clock.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "menus/control_keys.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
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
  void StretchOnWindow(const Bitmap& bmp, const Rect& r, const ChangedRects& changed) override;
  // Checks every presentation against the last: a change outside the
  // rectangles the game reported is counted (tests switch this on).
  void CheckReportedChanges() { check_changes_ = true; }
  int UnreportedChanges() const { return unreported_changes_; }
  void DrawCornerText(const std::string& text) override;
  // Kept and told, not drawn: the canvas shows the stretch a window without
  // filtering would (so that frames compare exactly).
  void SetSmoothScaling(bool on) override { smooth_ = on; }
  bool SmoothScaling() const { return smooth_; }

  void SetCursorPos(Point p) override { cursor_ = p; }
  // The window's client area takes a new size; it is empty (black) until
  // the game paints it.
  void Resize(Size screen);
  bool SystemPointerVisible() const { return cursor_count_ >= 0; }
  int CursorCount() const { return cursor_count_; }
  // Everything drawn on the window, as the player would see it.
  const Bitmap& Canvas() const { return canvas_; }
  int Presentations() const { return presentations_; }
  const std::vector<std::string>& CornerTexts() const { return corner_texts_; }

 private:
  Size screen_;
  Font* font_;
  Point cursor_;
  int cursor_count_ = 0;
  Bitmap canvas_;
  int presentations_ = 0;
  bool check_changes_ = false;
  Bitmap last_presented_;
  int unreported_changes_ = 0;
  std::vector<std::string> corner_texts_;
  bool smooth_ = false;
};

// Every box shown, with the answer it got.
struct RecordedBox {
  std::string text;  // Shift-JIS
  MessageKind kind;
  Buttons buttons;
  Answer answer;
};

class HeadlessDialogs : public Dialogs {
 public:
  Answer ShowMessageBox(const std::string& text, MessageKind kind, Buttons buttons) override;

  // The answer for the next box; boxes without a queued answer get OK.
  void QueueAnswer(Answer a) { answers_.push_back({a, {}}); }
  // Keys pressed in the next box, as the player presses them in the real
  // window's box (Tab, the arrows, Enter, Space, Escape). Keys past the
  // answer are not pressed; a box the keys leave unanswered is closed by
  // its close button.
  void QueueKeys(std::vector<menus::ControlKey> keys) {
    answers_.push_back({Answer::Ok, std::move(keys)});
  }
  // Runs while each box is open, before it is answered (a test can let
  // ticks run there, as the real window's box loop does).
  std::function<void(const std::string& text)> while_open;
  const std::vector<RecordedBox>& Boxes() const { return boxes_; }
  void Clear() { boxes_.clear(); }

 private:
  struct Queued {
    Answer answer;
    std::vector<menus::ControlKey> keys;  // when not empty, they answer
  };
  std::deque<Queued> answers_;
  std::vector<RecordedBox> boxes_;
};

// Time that moves only when told: the headless game's 20 ms ticks.
class VirtualClock : public Clock {
 public:
  explicit VirtualClock(uint32_t start_ms = 12 * 3600 * 1000) : ms_(start_ms) {}
  uint32_t UtcTimeOfDayMs() override { return ms_ % (24u * 3600u * 1000u); }
  void Advance(uint32_t ms) { ms_ += ms; }

 private:
  uint32_t ms_;
};

}  // namespace velmor::platform
