// A short line in a corner of the window: a screenshot written (or why
// not), going by itself after a while, or the reading mode that is on. It
// belongs to the window, not to the game's picture.
#pragma once

#include <cstdint>
#include <string>

namespace velmor::session {

class Notice {
 public:
  // How long a notice stays.
  static constexpr uint64_t kShownMs = 2000;

  // Shows `utf8` from `now_ms` on, instead of any notice before it.
  void Show(std::string utf8, uint64_t now_ms) {
    text_ = std::move(utf8);
    until_ms_ = now_ms + kShownMs;
  }
  // Shows `utf8` until it is hidden (empty: hides it).
  void ShowSteady(std::string utf8) {
    text_ = std::move(utf8);
    until_ms_ = UINT64_MAX;
  }
  void Hide() { text_.clear(); }
  bool Shown() const { return !text_.empty(); }
  // Milliseconds until it goes (0 when it should be gone already).
  uint64_t MsLeft(uint64_t now_ms) const { return now_ms < until_ms_ ? until_ms_ - now_ms : 0; }
  // Hides it once its time is over; true when that happened now.
  bool Expire(uint64_t now_ms) {
    if (!Shown() || MsLeft(now_ms) > 0) return false;
    Hide();
    return true;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  uint64_t until_ms_ = 0;
};

}  // namespace velmor::session
