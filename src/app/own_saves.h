// Saves of our own beside the original's six slots, and going back: a save
// is a snapshot of the whole game written to a file in the slot folder; a
// step of the history is the same snapshot kept in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "formats/snapshot_file.h"

namespace velmor::app {

// The slots of our own, 1 to kOwnSlots, and the quick save (0).
constexpr int kOwnSlots = 30;
constexpr int kQuickSlot = 0;

// The file of a slot of our own: "velmor-save-07.sav", the quick save
// "velmor-save-quick.sav". Lower case, with a dot: never one of the
// original's DATA00 to DATAFF.
std::string OwnSaveFileName(int slot);

// What the player is told, in plain English, in one place.
namespace save_texts {
inline constexpr std::string_view kSaved = "Saved in slot ";
inline constexpr std::string_view kQuickSaved = "Quick saved";
inline constexpr std::string_view kLoaded = "Loaded slot ";
inline constexpr std::string_view kQuickLoaded = "Quick save loaded";
inline constexpr std::string_view kCannotSave = "Cannot save now: ";
inline constexpr std::string_view kCannotLoad = "Cannot load slot ";
inline constexpr std::string_view kEmptySlot = "slot is empty";
inline constexpr std::string_view kNotWritten = "Could not write the save: ";
inline constexpr std::string_view kNothingBack = "Nothing to go back to";
inline constexpr std::string_view kNothingForward = "Nothing to go forward to";
inline constexpr std::string_view kBack = "Back ";
inline constexpr std::string_view kForward = "Forward ";
inline constexpr std::string_view kScreenSave = "Save: choose a slot (Enter saves, Esc closes)";
inline constexpr std::string_view kScreenLoad = "Load: choose a slot (Enter loads, Esc closes)";
inline constexpr std::string_view kScreenEmpty = "(empty)";
inline constexpr std::string_view kScreenDamaged = "(cannot be read)";
inline constexpr std::string_view kScreenPage = "Page ";
}  // namespace save_texts

// The steps to go back to: a snapshot at each page, click wait, choice and
// hit map the game reached, oldest first. It keeps at least kSteps steps
// and at most kMaxSteps, within kMaxBytes of memory (the oldest go first).
class History {
 public:
  static constexpr std::size_t kSteps = 100;
  static constexpr std::size_t kMaxSteps = 120;
  static constexpr std::size_t kMaxBytes = 30u << 20;

  // The game reached a new stop: the steps after the one it stands at go
  // (they were gone back over), and this one is the newest.
  void Record(formats::Snapshot step);
  // The game left the step it stood at.
  void Left() { at_step_ = false; }
  // The step to go back to: the one before when the game stands at a step,
  // else the one it last left. Null when there is none.
  const formats::Snapshot* Back();
  // The step after the one the game stands at (after going back). Null when
  // there is none or the game has gone on from it.
  const formats::Snapshot* Forward();
  void Clear();

  std::size_t size() const { return steps_.size(); }
  // The step the game stands at or last left (1-based, 0 with none).
  std::size_t position() const { return steps_.empty() ? 0 : pos_ + 1; }
  bool at_step() const { return at_step_; }
  // What the steps cost in memory, their shared pictures counted once.
  std::size_t MemoryBytes() const;
  formats::PictureAnchors& anchors() { return anchors_; }

 private:
  std::deque<formats::Snapshot> steps_;
  std::size_t pos_ = 0;
  bool at_step_ = false;
  formats::PictureAnchors anchors_;
};

}  // namespace velmor::app
