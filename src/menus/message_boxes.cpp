#include "menus/message_boxes.h"

#include "core/sjis.h"

namespace velmor::menus {

platform::Answer ShowMessageBox(platform::Dialogs& dialogs, const BoxText& box) {
  return dialogs.ShowMessageBox(Sjis(box.utf8).str(), box.kind, box.buttons);
}

}  // namespace velmor::menus
