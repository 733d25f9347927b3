// The player's input that the session gives the views, fed to ImGui as its
// platform backend would: the pointer, the buttons, the wheel, the keys
// with their modifiers, typed text and the window's focus.
#include <algorithm>

#include "imgui.h"
#include "ui/views.h"

namespace velmor::ui {

namespace {

constexpr int Index(velmor::Key k) { return static_cast<int>(k); }

}  // namespace

// ImGui's keys as the game's neutral keys. Tab moves the focus along the
// panels' own tab order, not ImGui's. Escape would put a name field back to
// its text of when it took the focus, so a habitual Escape would erase a
// name: it means nothing to a field. Undo and redo are off too: the field's
// text also changes outside ImGui (typed text, compositions, the game),
// which its undo record does not know.
void MapKeys(ImGuiIO& io) {
  using velmor::Key;
  for (int& k : io.KeyMap) k = -1;
  io.KeyMap[ImGuiKey_LeftArrow] = Index(Key::Left);
  io.KeyMap[ImGuiKey_RightArrow] = Index(Key::Right);
  io.KeyMap[ImGuiKey_UpArrow] = Index(Key::Up);
  io.KeyMap[ImGuiKey_DownArrow] = Index(Key::Down);
  io.KeyMap[ImGuiKey_PageUp] = Index(Key::PageUp);
  io.KeyMap[ImGuiKey_PageDown] = Index(Key::PageDown);
  io.KeyMap[ImGuiKey_Home] = Index(Key::Home);
  io.KeyMap[ImGuiKey_End] = Index(Key::End);
  io.KeyMap[ImGuiKey_Insert] = Index(Key::Insert);
  io.KeyMap[ImGuiKey_Delete] = Index(Key::Delete);
  io.KeyMap[ImGuiKey_Backspace] = Index(Key::Backspace);
  io.KeyMap[ImGuiKey_Space] = Index(Key::Space);
  io.KeyMap[ImGuiKey_Enter] = Index(Key::Enter);
  io.KeyMap[ImGuiKey_KeyPadEnter] = Index(Key::KeypadEnter);
  io.KeyMap[ImGuiKey_A] = Index(Key::A);
  io.KeyMap[ImGuiKey_C] = Index(Key::C);
  io.KeyMap[ImGuiKey_V] = Index(Key::V);
  io.KeyMap[ImGuiKey_X] = Index(Key::X);
}

int ButtonIndex(MouseButton b) {
  switch (b) {
    case MouseButton::Left: return 0;
    case MouseButton::Right: return 1;
    case MouseButton::Middle: return 2;
    case MouseButton::Other: break;
  }
  return -1;
}

ImVec2 ToImVec(Point p) { return ImVec2(static_cast<float>(p.x), static_cast<float>(p.y)); }

GameViews::GameViews(UiLayer& ui)
    : ui_(ui),
      panel_view_(ui),
      box_view_(ui),
      debugger_view_(ui),
      settings_view_(ui),
      notice_view_(ui),
      mode_view_(ui, NoticeView::Corner::TopRight) {
  MapKeys(ImGui::GetIO());
}

void GameViews::Key(const KeyEvent& e) {
  ImGuiIO& io = ImGui::GetIO();
  const int k = Index(e.key);
  io.KeyShift = e.held.shift;
  io.KeyCtrl = e.held.ctrl;
  io.KeyAlt = e.held.alt;
  input_given_ = true;
  const bool unseen =
      std::find(keys_down_unseen_.begin(), keys_down_unseen_.end(), e.key) != keys_down_unseen_.end();
  if (e.down) {
    io.KeysDown[k] = true;
    if (!unseen) keys_down_unseen_.push_back(e.key);
  } else if (unseen) {
    deferred_key_ups_.push_back(e.key);
  } else {
    io.KeysDown[k] = false;
  }
}

void GameViews::Button(const ButtonEvent& e) {
  input_given_ = true;
  ImGui::GetIO().MousePos = ToImVec(e.at);
  const int i = ButtonIndex(e.button);
  if (i < 0) return;
  mouse_held_[static_cast<std::size_t>(i)] = e.down;
  if (e.down) mouse_pressed_[static_cast<std::size_t>(i)] = true;
}

void GameViews::Wheel(const WheelEvent& e) {
  input_given_ = true;
  ImGuiIO& io = ImGui::GetIO();
  io.MousePos = ToImVec(e.at);
  io.MouseWheel += e.y > 0 ? 1.0f : e.y < 0 ? -1.0f : 0.0f;
}

void GameViews::Pointer(Point at) {
  input_given_ = true;
  ImGui::GetIO().MousePos = ToImVec(at);
}

void GameViews::PlacePointer(Point at) { ImGui::GetIO().MousePos = ToImVec(at); }

void GameViews::Focus(bool gained) {
  input_given_ = true;
  ImGui::GetIO().AddFocusEvent(gained);
}

void GameViews::Text(std::string_view utf8) {
  input_given_ = true;
  ImGui::GetIO().AddInputCharactersUTF8(std::string(utf8).c_str());
}

void GameViews::PressMouse() {
  // A click shorter than a frame still counts as one.
  ImGuiIO& io = ImGui::GetIO();
  for (std::size_t i = 0; i < mouse_held_.size(); ++i) {
    io.MouseDown[i] = mouse_held_[i] || mouse_pressed_[i];
    mouse_pressed_[i] = false;
  }
}

void GameViews::FramePresented() {
  // ImGui has seen the keys that went down; the releases held back go now.
  keys_down_unseen_.clear();
  ImGuiIO& io = ImGui::GetIO();
  for (velmor::Key k : deferred_key_ups_) io.KeysDown[Index(k)] = false;
  if (!deferred_key_ups_.empty()) wants_next_frame_ = true;
  deferred_key_ups_.clear();
}

}  // namespace velmor::ui
