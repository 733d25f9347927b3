// The three panels drawn with Dear ImGui from their control models, in the
// look of the game's era: tooltip-yellow panels with a lowered bevel, grey
// push buttons, sunken white fields. Each control is drawn as its kind and,
// for a label, its style say. The focus and the keys are the menus' own
// (menus/panel_focus.h); panel_view.cpp draws the controls and takes their
// clicks, panel_edit_view.cpp forwards ImGui's editing of a name field into
// its model.
//
// Drawing never runs a game handler: what the player did with a control
// comes back as actions that the front end runs once the frame is over (a
// handler may open a message box, which runs frames of its own). Changes
// without a handler (the text of a name field, the row of the save list, the
// keyboard focus) go straight into the models.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/controls.h"
#include "menus/panel_focus.h"
#include "menus/panels.h"
#include "ui/ui_layer.h"

struct ImDrawList;
struct ImGuiInputTextCallbackData;

namespace velmor::ui {

using menus::PanelAction;

class PanelView {
 public:
  explicit PanelView(UiLayer& ui) : ui_(ui) {}

  // Draws every visible panel. When not `interactive` (a message box is
  // open) the panels take no input.
  void Draw(menus::Panels& panels, bool interactive, std::vector<PanelAction>& actions);

  // The last Draw asked ImGui for the keyboard focus, which it gives in the
  // next frame, or showed a panel for the first time: that frame should
  // come at once.
  bool WantsNextFrame() const { return wants_next_frame_; }

  // A name field's frame is flashing: characters entered into it were
  // dropped a moment ago. Frames should come often enough to end it.
  bool Flashing() const { return flashing_; }

 private:
  struct EditState {
    Edit* edit = nullptr;
    char buf[256] = {};
    std::string shown_sjis;   // the model text buf was last loaded from
    std::string before_utf8;  // the text before this frame's edit
    int cursor = 0;           // ImGui's caret, bytes into buf
    int select_start = 0;     // ImGui's selection, bytes into buf
    int select_end = 0;
    bool caret_seen = false;  // the callback gave the three above this frame
    bool active = false;      // ImGui is editing it
    // Text the game or the input method put into the model while ImGui was
    // editing it, with the model's caret (bytes into the text).
    std::optional<std::string> reload;
    int reload_cursor = 0;
    int requested_frame = -2;  // when the focus was last asked for
    int focus_requests = 0;    // asked for since it last had it
    int seen_dropped = 0;      // the model's drop count last drawn
    int seen_wanted = 0;       // and its count of OK finding it empty
    double flash_until = -1;   // ImGui time until which the frame flashes
  };
  void DrawPanel(menus::Panels& panels, Panel& panel, bool interactive,
                 std::vector<PanelAction>& actions);
  void DrawLabel(const Label& label, ImDrawList* dl);
  void DrawButton(Panel& panel, Button& button, ImDrawList* dl,
                  std::vector<PanelAction>& actions);
  void DrawSpin(Panel& panel, SpinEdit& spin, ImDrawList* dl, std::vector<PanelAction>& actions);
  static void DrawSpinButton(ImDrawList* dl, const Rect& box, bool held, bool up, bool enabled);
  void DrawRadio(Panel& panel, RadioButton& radio, ImDrawList* dl,
                 std::vector<PanelAction>& actions);
  void DrawGroup(menus::Panels& panels, Panel& panel, GroupBox& group, ImDrawList* dl,
                 std::vector<PanelAction>& actions);
  void DrawGroupFrame(const GroupBox& group, ImDrawList* dl);
  void DrawGroupClickArea(GroupBox& group, std::vector<PanelAction>& actions);
  void DrawList(Panel& panel, ListBox& list, ImDrawList* dl, std::vector<PanelAction>& actions);
  void DrawEdit(Panel& panel, Edit& edit, ImDrawList* dl, bool interactive);
  void DrawComposition(const Edit& edit, ImDrawList* dl);
  // The model's text into the field's buffer when the game changed it.
  static void SyncEditText(const Edit& edit, EditState& st);
  // ImGui's edit and caret back into the model.
  static void StoreEditText(Edit& edit, EditState& st);
  // Asks ImGui to give the field the keyboard when the panel's focus is on it.
  void RequestEditFocus(const Edit& edit, EditState& st, bool wanted);
  static int EditCallback(ImGuiInputTextCallbackData* data);

  // Text in one of the fonts; the characters it lacks are asked for.
  void Text(ImDrawList* dl, UiFont font, float x, float y, unsigned color,
            const std::string& utf8, float wrap_width = 0);
  float TextWidth(UiFont font, const std::string& utf8);
  static bool IsFocused(const Panel& panel, const Control& c) { return panel.focus == &c; }

  UiLayer& ui_;
  std::map<const Edit*, EditState> edits_;
  bool wants_next_frame_ = false;
  bool flashing_ = false;
};

}  // namespace velmor::ui
