// What a message box says and how it answers, apart from how it is drawn:
// the title and icon of each kind, the buttons, the focused button and the
// keys. OK is the default button; Escape and the close button answer Cancel
// (or OK, when OK is the only button, as the platform's boxes do).
#pragma once

#include <optional>
#include <string>

#include "menus/control_keys.h"
#include "platform/dialogs.h"

namespace velmor::menus {

using platform::Answer;
using platform::Buttons;
using platform::MessageKind;

// The application title: the title of a box that reports an unexpected error.
inline constexpr const char* kApplicationTitle = "Velmor";

enum class BoxIcon { Stop, Information, Question };

struct BoxLook {
  const char* title_utf8;
  BoxIcon icon;
};

BoxLook LookOf(MessageKind kind);

class MessageBoxModel {
 public:
  MessageBoxModel(std::string text_sjis, MessageKind kind, Buttons buttons);

  const std::string& text() const { return text_; }  // Shift-JIS
  MessageKind kind() const { return kind_; }
  Buttons buttons() const { return buttons_; }
  BoxLook look() const { return LookOf(kind_); }

  int ButtonCount() const { return buttons_ == Buttons::OkCancel ? 2 : 1; }
  const char* ButtonLabel(int i) const;  // UTF-8
  Answer ButtonAnswer(int i) const;
  int Focused() const { return focused_; }

  // The answer of a click on button i.
  void Press(int i) { answer_ = ButtonAnswer(i); }
  // The button that gives `a` pressed (OK when the box has no such button).
  void PressFor(Answer a) { answer_ = buttons_ == Buttons::OkCancel ? a : Answer::Ok; }
  // The box's close button.
  void Close() { answer_ = CloseAnswer(); }
  // A key pressed while the box is open: Enter and Space press the focused
  // button, Escape closes, Tab and the left and right arrows move the
  // focus; Up and Down do nothing.
  void Key(ControlKey key);

  // Set once the box is answered.
  const std::optional<Answer>& answer() const { return answer_; }

 private:
  Answer CloseAnswer() const {
    return buttons_ == Buttons::OkCancel ? Answer::Cancel : Answer::Ok;
  }

  std::string text_;
  MessageKind kind_;
  Buttons buttons_;
  int focused_ = 0;  // OK, the default button
  std::optional<Answer> answer_;
};

}  // namespace velmor::menus
