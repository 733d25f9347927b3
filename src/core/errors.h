// The two ways an operation can leave the event in progress.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace velmor {

// A failure that abandons the event in progress (a tick, a repaint, a panel
// handler). Whoever runs the event catches it and shows `what()` (Shift-JIS
// text) in an error box; the next event runs normally.
class GameError : public std::exception {
 public:
  // `detail`: for a file that could not be used, its path as the system
  // names it and the reason, in the system's own text (for the terminal).
  explicit GameError(std::string sjis_message, std::string detail = {})
      : message_(std::move(sjis_message)), detail_(std::move(detail)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const { return message_; }
  const std::string& detail() const { return detail_; }

 private:
  std::string message_;
  std::string detail_;
};

// Thrown by Quit once the game has been shut down: it unwinds whatever was
// running up to the front end's loop, which then ends the process with exit
// code 0. Deliberately not a std::exception, so that no error handler
// mistakes it for a failure.
struct QuitSignal {};

// Thrown where an event cannot go on until a message box it opened is
// answered (a fault that ends the game shows its box, and the end follows
// the answer): the rest of the event is abandoned quietly, and what follows
// the box runs from its answer. Whoever runs events lets it end the event
// and shows nothing.
struct AwaitingAnswer {};

}  // namespace velmor
