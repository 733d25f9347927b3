// The first start drawn with Dear ImGui: the offer (choose the game's data
// folder, play the demo, quit) and the folder browser, in the player's
// language, alone in the window before the game starts.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>

#include "core/geometry.h"
#include "core/input_events.h"
#include "session/first_start.h"
#include "ui/first_start_texts.h"
#include "ui/ui_layer.h"

namespace velmor::ui {

class FirstStartView {
 public:
  // `remembered_in` is the player's INI file the choice is written to
  // (empty: it cannot be remembered); `home` the player's home folder.
  FirstStartView(UiLayer& ui, const FirstStartTexts& texts, std::string remembered_in,
                 std::string home);

  // The player's input, fed to ImGui.
  void Deliver(const InputEvent& event);
  // One frame for a display of `display` pixels at `seconds`; the front end
  // then renders it (UiLayer::Render).
  void Draw(session::FirstStart& first, Size display, double seconds);
  // A frame should follow soon (the player gave input, or a button is held).
  bool WantsFrame() const { return wants_frame_; }
  // Where the last frame drew the button (or the folder row, "name/") with
  // this label, in window pixels.
  std::optional<Rect> Where(const std::string& label) const;

 private:
  void DrawOffer(session::FirstStart& first);
  void DrawBrowser(session::FirstStart& first);
  void DrawPathRow(session::FirstStart& first);
  void DrawFolderList(session::FirstStart& first);
  void DrawCheck(const session::FirstStart& first);
  // A push button (height 0: the caption's); a disabled one is drawn
  // greyed and never pressed.
  bool Button(const char* label, float height, bool enabled = true);
  bool Selectable(const std::string& label);
  void Remember(const std::string& label);
  // Text in the browser's font, its characters added to the atlas first.
  void Text(const std::string& utf8);

  UiLayer& ui_;
  const FirstStartTexts& texts_;
  std::string remembered_in_;
  std::string home_;
  std::string shown_folder_;           // the folder the path field was last filled from
  std::array<char, 4096> typed_{};     // the path field
  std::array<bool, 3> held_{}, pressed_{};
  bool wants_frame_ = true;
  int settle_frames_ = 2;
  session::FirstStartStep drawn_step_ = session::FirstStartStep::Offer;
  std::string drawn_folder_;
  std::map<std::string, Rect> drawn_;  // the last frame's buttons and rows
};

}  // namespace velmor::ui
