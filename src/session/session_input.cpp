// Who gets the player's input: the window's own keys first, then an open
// message box, the reader's settings window, a panel (its focused control,
// its focused name field), the debugger's window, and the game.
#include <algorithm>

#include "core/errors.h"
#include "menus/panel_layout.h"
#include "session/session.h"

namespace velmor::session {

using menus::AnyPanelVisible;
using menus::PanelAt;

void Session::ToViews(const auto& event) {
  if (views_ == nullptr) return;
  using E = std::decay_t<decltype(event)>;
  if constexpr (std::is_same_v<E, KeyEvent>) views_->Key(event);
  else if constexpr (std::is_same_v<E, ButtonEvent>) views_->Button(event);
  else if constexpr (std::is_same_v<E, WheelEvent>) views_->Wheel(event);
  else views_->Pointer(event);
}

bool Session::DebuggerTyping() const {
  // As last drawn: a window hidden since keeps no keys.
  return debugger_shown_ && views_ != nullptr && views_->DebuggerWantsKeyboard();
}

bool Session::OnUi(Point p) {
  return PanelAt(game_.panels(), p) != nullptr ||
         (debugger_shown_ && views_ != nullptr && views_->DebuggerCovers(p));
}

void Session::Deliver(const InputEvent& event) {
  std::visit(
      [this](const auto& e) {
        using E = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<E, KeyEvent>) Key(e);
        else if constexpr (std::is_same_v<E, ButtonEvent>) Button(e);
        else if constexpr (std::is_same_v<E, WheelEvent>) Wheel(e);
        else if constexpr (std::is_same_v<E, PointerMotion>) Pointer(e.at);
        else if constexpr (std::is_same_v<E, TypedText>) Text(e.utf8);
        else if constexpr (std::is_same_v<E, Composition>) Compose(e.utf8, e.cursor);
        else Window(e);
      },
      event);
}

void Session::Key(const KeyEvent& e) {
  // Text after a key press is typed, even when it is what a taken
  // composition was: the input method's echo would have come before it.
  if (e.down) ime_echo_.clear();
  if (WindowKey(e) || BoxKey(e) || SettingsKey(e)) return;
  GameKey(e);
}

bool Session::WindowKey(const KeyEvent& e) {
  // The window's own keys act whatever has the keyboard; nobody else hears
  // them go down or up (Alt+Enter must not press a focused button as well,
  // nor F12 let go of a Ctrl the game sees held).
  const auto held = std::find(window_keys_down_.begin(), window_keys_down_.end(), e.key);
  if (!e.down) {
    if (held == window_keys_down_.end()) return false;
    window_keys_down_.erase(held);
    return true;
  }
  const std::optional<WindowCommand> command = WindowCommandOf(e.key, e.held);
  if (!command || !DebuggerKey(*command)) return false;
  if (held == window_keys_down_.end()) window_keys_down_.push_back(e.key);
  if (!e.repeat) RunWindowCommand(*command);
  return true;
}

bool Session::BoxKey(const KeyEvent& e) {
  // An open box has the keyboard.
  if (boxes_.empty()) return false;
  if (e.down) {
    if (std::optional<menus::ControlKey> key = ControlKeyOf(e.key, e.held))
      boxes_.Top()->Key(*key);
    redraw_ = true;
  } else {
    ToViews(e);
  }
  SettleBoxes();
  return true;
}

bool Session::SettingsKey(const KeyEvent& e) {
  // The reader's settings window has the keyboard; Escape closes it.
  if (!settings_window_.open) return false;
  ToViews(e);
  if (e.down && e.key == velmor::Key::Escape) ToggleReaderSettings();
  if (!e.down && started_) game_.FormKeyUp();
  return true;
}

void Session::GameKey(const KeyEvent& e) {
  const bool ui = UiActive();
  // Releases always reach the views, so that none takes a key as held.
  if (ui || !e.down) ToViews(e);
  Edit* edit = nullptr;
  if (ui) {
    edit = menus::FocusedEdit(game_.panels());
    if (e.down)
      if (std::optional<menus::ControlKey> key = ControlKeyOf(e.key, e.held)) {
        menus::PressPanelKey(game_.panels(), *key, pending_);
        menus::PressFieldKey(game_.panels(), *key, pending_);
      }
  }
  // The game hears the keys unless a name field or the debugger has them.
  if (edit != nullptr || DebuggerTyping() || !started_) return;
  if (!e.down) {
    game_.FormKeyUp();
    return;
  }
  game_.FormKeyDown(e.held);
  // Keys in place of the mouse are the panels' while one is open.
  std::optional<ReaderKey> key = ReaderKeyOf(e.key);
  if (key && !PanelsOrBoxes() && (!e.repeat || ReaderKeyRepeats(*key)))
    Run([&] { game_.FormReaderKey(*key); });
}

void Session::Button(const ButtonEvent& e) {
  const auto index = static_cast<std::size_t>(e.button);
  const bool on_ui = OnUi(e.at);
  if (e.down) {
    if (!boxes_.empty() || on_ui || settings_window_.open) {
      // A box and the reader's settings are modal; a panel's controls take
      // their own clicks.
      ToViews(e);
      pressed_on_game_[index] = false;
      return;
    }
    if (!started_) return;
    pressed_on_game_[index] = true;
    Run([&] { game_.FormMouseDown(e.button); });
    return;
  }
  ToViews(e);  // the views see every release
  // A release goes where its press went; one over the picture goes to the
  // game in any case (it only forgets the held button).
  const bool pressed_here = pressed_on_game_[index];
  pressed_on_game_[index] = false;
  if (!started_) return;
  if (pressed_here || (boxes_.empty() && !on_ui)) game_.FormMouseUp();
}

void Session::Wheel(const WheelEvent& e) {
  if (PanelsOrBoxes() || OnUi(e.at)) {
    ToViews(e);  // the save list scrolls
    return;
  }
  if (!started_) return;
  if (std::optional<WheelTurn> turn = e.turn()) Run([&] { game_.FormMouseWheel(*turn); });
}

void Session::Pointer(Point at) {
  if (UiActive()) ToViews(at);
}

void Session::Window(WindowEvent e) {
  switch (e) {
    case WindowEvent::CloseRequested:
      if (!boxes_.empty()) {
        boxes_.Top()->Close();  // the box has the window: its close button
        SettleBoxes();
      } else if (started_) {
        Run([this] { game_.FormCloseQuery(); });
      }
      break;
    case WindowEvent::Resized:
      if (started_) Run([this] { game_.FormResize(); });
      break;
    case WindowEvent::FocusGained:
    case WindowEvent::FocusLost:
      if (views_ != nullptr) views_->Focus(e == WindowEvent::FocusGained);
      break;
    case WindowEvent::Exposed: break;
  }
  redraw_ = true;
}

// --- Typed text and the input method ---

void Session::Text(std::string_view utf8) {
  // Typed or committed text goes into the focused field's model at its
  // caret (not through the views, so that the byte limit, the caret and the
  // composition are the model's alone).
  ime_composing_ = false;
  if (TakeImeEcho(utf8)) return;
  if (Edit* edit = TextInputField()) {
    edit->Commit(utf8);
    redraw_ = true;
  } else if (DebuggerTyping()) {
    views_->Text(utf8);
  }
}

void Session::Compose(std::string_view utf8, int cursor) {
  ime_composing_ = !utf8.empty();
  ime_composition_ = utf8;
  if (!utf8.empty()) ime_echo_.clear();  // a new composition: no echo comes any more
  if (Edit* edit = TextInputField()) {
    edit->Compose(std::string(utf8), cursor);
    redraw_ = true;
  }
}

bool Session::TakeImeEcho(std::string_view text) {
  // Long text comes over in pieces: the echo may come in several.
  if (ime_echo_.empty() || text.empty()) return false;
  if (!std::string_view(ime_echo_).starts_with(text)) {
    ime_echo_.clear();
    return false;
  }
  ime_echo_.erase(0, text.size());
  return true;
}

Edit* Session::TextInputField() {
  if (!boxes_.empty() || !AnyPanelVisible(game_.panels())) return nullptr;
  Edit* edit = menus::FocusedEdit(game_.panels());
  return edit != nullptr && edit->usable() ? edit : nullptr;
}

void Session::UpdateTextInput() {
  Edit* edit = nullptr;
  if (boxes_.empty() && AnyPanelVisible(game_.panels())) edit = menus::FocusedEdit(game_.panels());
  // A field that loses the keyboard (to another field, a button, a box, a
  // closed panel) keeps what was being composed in it.
  if (text_input_for_ != nullptr && edit != text_input_for_) text_input_for_->CommitComposition();
  // The input method must forget a composition the field has taken in
  // itself, or it would go on with it (in the next field): text input goes
  // off, which resets it. An input method set to commit its composition
  // when reset (Anthy's "commit on focus out") then sends it once more, a
  // moment later, when text input is on again: that echo is not typed text.
  const bool taken =
      ime_composing_ && (edit == nullptr || edit != text_input_for_ || edit->composition.empty());
  if (taken) ime_echo_ = ime_composition_;
  // The debugger's number fields take typed digits too (no input method).
  const bool debugger_typing = edit == nullptr && DebuggerTyping();
  if (text_input_.on && ((edit == nullptr && !debugger_typing) || taken)) {
    text_input_.on = false;
    ++text_input_.resets;
    ime_composing_ = false;
  }
  if (edit != nullptr || debugger_typing) text_input_.on = true;
  if (edit != nullptr && edit != text_input_for_) {
    // The input method's candidate window goes next to the field.
    text_input_.field = menus::WindowRect(*edit);
    ++text_input_.field_moves;
  }
  text_input_for_ = edit;
}

}  // namespace velmor::session
