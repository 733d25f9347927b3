#include "menus/message_boxes.h"

#include "core/sjis.h"

namespace velmor::menus {

void ShowMessageBox(platform::Dialogs& dialogs, const BoxText& box, platform::OnAnswer then) {
  dialogs.ShowMessageBox(Sjis(box.utf8).str(), box.kind, box.buttons, std::move(then));
}

void ErrorReport::Show(const std::string& sjis_text) {
  if (holds_ > 0) {
    // The same failure met again (a missing file asked for by several
    // slots) is told once.
    for (const std::string& t : held_)
      if (t == sjis_text) return;
    held_.push_back(sjis_text);
    return;
  }
  dialogs_.ShowMessageBox(sjis_text, platform::MessageKind::Failure, platform::Buttons::Ok);
}

void ErrorReport::ShowHeld() {
  if (held_.empty()) return;
  std::string text;
  for (const std::string& t : held_) text += (text.empty() ? "" : "\n") + t;
  held_.clear();
  dialogs_.ShowMessageBox(text, platform::MessageKind::Failure, platform::Buttons::Ok);
}

}  // namespace velmor::menus
