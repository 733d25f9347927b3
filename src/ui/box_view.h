// Message boxes drawn inside the window with Dear ImGui: a title bar with
// the kind's title and a close button, the kind's icon, the text, and the
// buttons centred below it. Only the top-most box takes input.
#pragma once

#include <vector>

#include "ui/ui_layer.h"
#include "menus/message_box_model.h"

namespace velmor::ui {

using menus::MessageBoxModel;

class BoxView {
 public:
  explicit BoxView(UiLayer& ui) : ui_(ui) {}
  // Draws the open boxes, oldest first; clicks and the close button answer
  // the last one.
  void Draw(const std::vector<MessageBoxModel*>& boxes);
  // A box appeared in the last Draw: it is measured in that frame and shown
  // in the next, which should come at once.
  bool WantsNextFrame() const { return wants_next_frame_; }

 private:
  void DrawBox(MessageBoxModel& box, int index, bool top);

  UiLayer& ui_;
  bool wants_next_frame_ = false;
};

}  // namespace velmor::ui
