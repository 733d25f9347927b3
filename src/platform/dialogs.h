// Message boxes. A box never blocks: it is shown, the game goes on under it,
// and the answer reaches the one who asked when the player gives it (at
// once, in a front end that answers from a script).
#pragma once

#include <functional>
#include <string>

namespace velmor::platform {

// The kind gives the box's title and icon.
enum class MessageKind {
  Error,         // "ｴﾗｰ", stop icon
  Information,   // "情報", information icon
  Confirmation,  // "確認", question icon
  Failure,       // an error no caller handles: the application title, stop icon
};

enum class Buttons { Ok, OkCancel };

enum class Answer { Ok = 1, Cancel = 2 };

// What to do with the player's answer; empty when nothing follows the box.
using OnAnswer = std::function<void(Answer)>;

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Shows `text` (Shift-JIS); `then` runs with the player's answer once it
  // is given, which may be before this returns. OK is the default; Escape
  // and the box's close button answer Cancel.
  virtual void ShowMessageBox(const std::string& text, MessageKind kind, Buttons buttons,
                              OnAnswer then = nullptr) = 0;
};

}  // namespace velmor::platform
