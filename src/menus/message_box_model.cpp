#include "menus/message_box_model.h"

#include "core/texts.h"

namespace velmor::menus {

BoxLook LookOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Error: return {GameText("ｴﾗｰ"), BoxIcon::Stop};
    case MessageKind::Information: return {GameText("情報"), BoxIcon::Information};
    case MessageKind::Confirmation: return {GameText("確認"), BoxIcon::Question};
    case MessageKind::Failure: break;
  }
  return {kApplicationTitle, BoxIcon::Stop};
}

MessageBoxModel::MessageBoxModel(std::string text_sjis, MessageKind kind, Buttons buttons)
    : text_(std::move(text_sjis)), kind_(kind), buttons_(buttons) {}

const char* MessageBoxModel::ButtonLabel(int i) const {
  return ButtonAnswer(i) == Answer::Ok ? "OK" : GameText("ｷｬﾝｾﾙ");
}

Answer MessageBoxModel::ButtonAnswer(int i) const {
  return i == 1 && buttons_ == Buttons::OkCancel ? Answer::Cancel : Answer::Ok;
}

void MessageBoxModel::Key(ControlKey key) {
  int n = ButtonCount();
  switch (key) {
    case ControlKey::Enter:
    case ControlKey::Space: Press(focused_); break;
    case ControlKey::Escape: Close(); break;
    case ControlKey::Tab:
    case ControlKey::Right: focused_ = (focused_ + 1) % n; break;
    case ControlKey::ShiftTab:
    case ControlKey::Left: focused_ = (focused_ + n - 1) % n; break;
    case ControlKey::Up:
    case ControlKey::Down: break;
  }
}

}  // namespace velmor::menus
