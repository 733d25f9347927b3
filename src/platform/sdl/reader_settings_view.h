// The reader's own settings window (F1): the music volume, smooth scaling,
// auto mode's delay, and the keys, in the look of the game's panels. It
// edits a copy of the settings; the front end applies each change at once
// and keeps the file when an edit is finished.
#pragma once

#include "app/reader_settings.h"
#include "platform/sdl/imgui_layer.h"

namespace velmor::platform::sdl {

class ReaderSettingsView {
 public:
  explicit ReaderSettingsView(ImGuiLayer& ui) : ui_(ui) {}

  bool open() const { return open_; }
  void Open(const app::ReaderSettings& settings);
  void Close() { open_ = false; }
  const app::ReaderSettings& settings() const { return settings_; }

  // What a frame did to the settings.
  struct Result {
    bool changed = false;   // a value moved: apply it
    bool finished = false;  // an edit ended (or the window closed): keep it
  };
  // Draws the window (when open) in the middle of the game's window.
  Result Draw();
  // The window appeared in the last Draw: the next frame should come at once.
  bool WantsNextFrame() const { return wants_next_frame_; }

 private:
  ImGuiLayer& ui_;
  app::ReaderSettings settings_;
  bool open_ = false;
  bool wants_next_frame_ = false;
};

}  // namespace velmor::platform::sdl
