// The reader's own settings window (F1): the music volume, smooth scaling,
// auto mode's delay, and the keys, in the look of the game's panels. It
// edits the session's copy of the settings; the session applies each change
// at once and keeps the file when an edit is finished.
#pragma once

#include <optional>

#include "session/session.h"
#include "ui/ui_layer.h"

namespace velmor::ui {

class ReaderSettingsView {
 public:
  explicit ReaderSettingsView(UiLayer& ui) : ui_(ui) {}

  // What a frame did to the settings.
  struct Result {
    bool changed = false;   // a value moved: apply it
    bool finished = false;  // an edit ended (or the window closed): keep it
    std::optional<bool> open_saves;  // Save... (true) or Load... (false) pressed
  };
  // Draws the window (when open) in the middle of the game's window; its
  // OK button closes it.
  Result Draw(session::ReaderSettingsWindow& window);
  // The window appeared in the last Draw: the next frame should come at once.
  bool WantsNextFrame() const { return wants_next_frame_; }

 private:
  UiLayer& ui_;
  bool was_open_ = false;
  bool wants_next_frame_ = false;
};

}  // namespace velmor::ui
