// Everything drawn over the game's picture, with Dear ImGui: the three
// panels, the message boxes, the reader's settings window, the debugger's
// window and the notices in the corners, drawn from the session's state and
// the menus' models; and the player's input the session hands them, fed to
// ImGui. No platform: a front end that has a screen (the real window, the
// browser) asks when a frame is due, draws one, puts it on the screen with
// its UiRenderer, and gives the session what the frame handed back.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/input_events.h"
#include "session/session.h"
#include "session/views.h"
#include "ui/box_view.h"
#include "ui/debugger_view.h"
#include "ui/notice_view.h"
#include "ui/panel_view.h"
#include "ui/reader_settings_view.h"
#include "ui/ui_layer.h"

struct ImGuiIO;
struct ImVec2;

namespace velmor::ui {

// Gives ImGui the game's neutral keys (KeyEvent::key) as its key indices.
void MapKeys(ImGuiIO& io);
// ImGui's index of a mouse button (-1: none of its three).
int ButtonIndex(MouseButton b);
// A window point as ImGui's vector.
ImVec2 ToImVec(Point p);

class GameViews : public session::Views {
 public:
  explicit GameViews(UiLayer& ui);

  // --- session::Views: the player's input, fed to ImGui ---
  void Key(const KeyEvent& e) override;
  void Button(const ButtonEvent& e) override;
  void Wheel(const WheelEvent& e) override;
  void Pointer(Point at) override;
  void Focus(bool gained) override;
  void Text(std::string_view utf8) override;
  bool DebuggerCovers(Point p) const override { return debugger_view_.Covers(p); }
  bool DebuggerWantsKeyboard() const override { return debugger_view_.WantsKeyboard(); }
  bool TextActive() const override { return ui_.TextActive(); }

  // --- Frames ---
  // A frame should be drawn at once, whatever else is due.
  bool WantsFrameNow() const { return wants_next_frame_; }
  // Whether a frame is due at `now_ms`: the window needs one
  // (`window_needs`), the session asked for one, what the views show
  // changed, the player gave them input, or a caret blinks or a held button
  // repeats. Takes the session's wish.
  bool FrameDue(session::Session& s, uint64_t now_ms, bool window_needs);
  // Whether the frame due draws anything over the picture.
  bool Shown() const { return shown_; }
  // Draws one frame of the views for a display of `display` pixels; the
  // front end then renders it (UiLayer::Render) over the picture, and hands
  // the outcome to the session.
  session::ViewOutcome Draw(session::Session& s, Size display, uint64_t now_ms);
  // Where the pointer is, as the window knows it, before a frame (without
  // counting as input): a view that opens under a still pointer sees it.
  void PlacePointer(Point at);
  // A frame was put on the screen (with the views or without): the keys
  // ImGui has now seen go up.
  void FramePresented();
  Rect DrawnArea() const { return ui_.DrawnArea(); }

  const PanelView& panel_view() const { return panel_view_; }
  UiLayer& layer() { return ui_; }

 private:
  void Frame(session::Session& s, Size display, uint64_t now_ms, session::ViewOutcome& out);
  void PressMouse();

  UiLayer& ui_;
  PanelView panel_view_;
  BoxView box_view_;
  DebuggerView debugger_view_;
  ReaderSettingsView settings_view_;
  NoticeView notice_view_;
  NoticeView mode_view_;  // the reading mode, in the upper corner

  bool shown_ = false;           // the frame due draws the views
  bool was_shown_ = false;       // the last frame drew them
  bool wants_next_frame_ = false;
  bool input_given_ = false;     // ImGui was given input since the last frame
  uint64_t last_frame_ms_ = 0;
  uint64_t panels_drawn_ = 0;    // the panels' digest when last drawn

  // ImGui reads the buttons and keys once a frame: a press that comes and
  // goes between two frames is held for the next one, and a key released
  // before ImGui saw it go down is released after the next frame.
  std::array<bool, 3> mouse_held_{};
  std::array<bool, 3> mouse_pressed_{};
  std::vector<velmor::Key> keys_down_unseen_;
  std::vector<velmor::Key> deferred_key_ups_;
};

}  // namespace velmor::ui
