#include "platform/sdl/message_box_model.h"

namespace velmor::platform::sdl {

BoxLook LookOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Error: return {"ｴﾗｰ", BoxIcon::Stop};
    case MessageKind::Information: return {"情報", BoxIcon::Information};
    case MessageKind::Confirmation: return {"確認", BoxIcon::Question};
    case MessageKind::Failure: break;
  }
  return {kApplicationTitle, BoxIcon::Stop};
}

MessageBoxModel::MessageBoxModel(std::string text_sjis, MessageKind kind, Buttons buttons)
    : text_(std::move(text_sjis)), kind_(kind), buttons_(buttons) {}

const char* MessageBoxModel::ButtonLabel(int i) const {
  return ButtonAnswer(i) == Answer::Ok ? "OK" : "ｷｬﾝｾﾙ";
}

Answer MessageBoxModel::ButtonAnswer(int i) const {
  return i == 1 && buttons_ == Buttons::OkCancel ? Answer::Cancel : Answer::Ok;
}

void MessageBoxModel::Key(BoxKey key) {
  int n = ButtonCount();
  switch (key) {
    case BoxKey::Enter:
    case BoxKey::Space: Press(focused_); break;
    case BoxKey::Escape: Close(); break;
    case BoxKey::Tab:
    case BoxKey::Right: focused_ = (focused_ + 1) % n; break;
    case BoxKey::ShiftTab:
    case BoxKey::Left: focused_ = (focused_ + n - 1) % n; break;
  }
}

}  // namespace velmor::platform::sdl
