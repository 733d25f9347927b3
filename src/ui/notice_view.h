// Draws a notice of the session (a screenshot written, the reading mode
// that is on) in a corner of the window, over everything else.
#pragma once

#include "session/notice.h"
#include "ui/ui_layer.h"

namespace velmor::ui {

class NoticeView {
 public:
  enum class Corner { TopRight, BottomRight };

  explicit NoticeView(UiLayer& ui, Corner corner = Corner::BottomRight)
      : ui_(ui), corner_(corner) {}
  // Draws it (when shown) clipped to its own box.
  void Draw(const session::Notice& notice);

 private:
  UiLayer& ui_;
  Corner corner_;
};

}  // namespace velmor::ui
