// The backlog as the player reads it: over the message window, one entry at
// a time, from the newest back. While it is open the game is held as by a
// panel; when it closes, the picture it covered comes back as it was.
#pragma once

#include <cstddef>
#include <string>

#include "graphics/bitmap.h"
#include "graphics/layers.h"
#include "platform/font.h"
#include "text/backlog.h"
#include "text/message_window.h"

namespace velmor::app {

class BacklogWindow {
 public:
  BacklogWindow(const text::Backlog& log, graphics::Layers& layers, platform::Font& font,
                const text::BoxRec& msg)
      : log_(log), layers_(layers), font_(font), msg_(msg) {}

  bool open() const { return open_; }
  // The entry shown (0 is the oldest kept).
  std::size_t shown() const { return shown_; }

  // Shows the newest entry over the screen image. False (and nothing
  // changes) when the log is empty.
  bool Open();
  // The screen image as it was when the backlog opened.
  void Close();
  // One entry back; the oldest stays.
  void Older();
  // One entry on; past the newest the backlog closes.
  void Newer();
  // The screen image was painted anew underneath: the entry goes over it
  // again.
  void Repaint();
  // "Backlog 3/57", for the window's corner.
  std::string Position() const;

 private:
  void Draw();

  const text::Backlog& log_;
  graphics::Layers& layers_;
  platform::Font& font_;
  const text::BoxRec& msg_;
  bool open_ = false;
  std::size_t shown_ = 0;
  Bitmap covered_;  // the screen image under the backlog
};

}  // namespace velmor::app
