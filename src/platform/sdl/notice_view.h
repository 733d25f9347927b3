// A short line in a corner of the window: a screenshot written (or why
// not), going by itself after a while, or the reading mode that is on. It
// belongs to the window, not to the game's picture.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sdl/imgui_layer.h"

namespace velmor::platform::sdl {

class NoticeView {
 public:
  // How long a notice stays.
  static constexpr uint64_t kShownMs = 2000;

  enum class Corner { TopRight, BottomRight };

  explicit NoticeView(ImGuiLayer& ui, Corner corner = Corner::BottomRight)
      : ui_(ui), corner_(corner) {}
  // Shows `utf8` from `now_ms` on, instead of any notice before it.
  void Show(std::string utf8, uint64_t now_ms);
  // Shows `utf8` until it is hidden (empty: hides it).
  void ShowSteady(std::string utf8);
  void Hide() { text_.clear(); }
  bool Shown() const { return !text_.empty(); }
  // Milliseconds until it goes (0 when it should be gone already).
  uint64_t MsLeft(uint64_t now_ms) const { return now_ms < until_ms_ ? until_ms_ - now_ms : 0; }
  // Hides it once its time is over; true when that happened now.
  bool Expire(uint64_t now_ms);
  // Draws it over everything else in the frame, clipped to its own box.
  void Draw();
  const std::string& text() const { return text_; }

 private:
  ImGuiLayer& ui_;
  Corner corner_;
  std::string text_;
  uint64_t until_ms_ = 0;
};

}  // namespace velmor::platform::sdl
