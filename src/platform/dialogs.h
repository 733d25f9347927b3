// Modal message boxes.
#pragma once

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

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Shows `text` (Shift-JIS) and returns the player's answer. OK is the
  // default; Escape and the box's close button answer Cancel.
  virtual Answer ShowMessageBox(const std::string& text, MessageKind kind, Buttons buttons) = 0;
};

}  // namespace velmor::platform
