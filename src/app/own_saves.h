// Saves of our own beside the original's six slots, and going back: a save
// is a snapshot of the whole game written to a file in the slot folder; a
// step of the history is the same snapshot kept in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/texts.h"
#include "formats/snapshot_file.h"
#include "formats/compressor.h"

namespace velmor::app {

// No save of ours comes near this size: a larger file is not one.
constexpr std::size_t kMaxOwnSaveBytes = 64u << 20;

// The slots of our own, 1 to kOwnSlots, and the quick save (0).
constexpr int kOwnSlots = 30;
constexpr int kQuickSlot = 0;

// The file of a slot of our own: "velmor-save-07.sav", the quick save
// "velmor-save-quick.sav". Lower case, with a dot: never one of the
// original's DATA00 to DATAFF.
std::string OwnSaveFileName(int slot);

// What the player is told, in one place: marked for the catalogues, shown
// in the player's language (Tr, Fill) where they are told.
namespace save_texts {
inline constexpr const char* kSaved = TrMark("Saved in slot %s");
inline constexpr const char* kQuickSaved = TrMark("Quick saved");
inline constexpr const char* kLoaded = TrMark("Loaded slot %s");
inline constexpr const char* kQuickLoaded = TrMark("Quick save loaded");
inline constexpr const char* kCannotSave = TrMark("Cannot save now: %s");
inline constexpr const char* kTooLarge = TrMark("the save would be too large to load");
inline constexpr const char* kCannotLoad = TrMark("Cannot load slot %s: %s");
inline constexpr const char* kQuickSave = TrMark("quick save");
inline constexpr const char* kPanelOpen = TrMark("a panel is open");
inline constexpr const char* kEmptySlot = TrMark("slot is empty");
inline constexpr const char* kNotWritten = TrMark("Could not write the save: %s");
inline constexpr const char* kNothingBack = TrMark("Nothing to go back to");
inline constexpr const char* kNothingForward = TrMark("Nothing to go forward to");
inline constexpr const char* kBack = TrMark("Back %s/%s");
inline constexpr const char* kForward = TrMark("Forward %s/%s");
inline constexpr const char* kScreenSave = TrMark("Save: choose a slot (Enter saves, Esc closes)");
inline constexpr const char* kScreenLoad = TrMark("Load: choose a slot (Enter loads, Esc closes)");
inline constexpr const char* kScreenEmpty = TrMark("(empty)");
inline constexpr const char* kScreenDamaged = TrMark("(cannot be read)");
inline constexpr const char* kScreenPage = TrMark("Page %s/%s");
}  // namespace save_texts

// The steps to go back to: a snapshot at each page, click wait, choice and
// hit map the game reached, oldest first. It keeps at least kSteps steps
// and at most kMaxSteps, within kMaxBytes of memory (the oldest go first).
// The pictures the next steps are packed against are kept whole; a
// picture no longer among them is kept packed by the platform's compressor
// (a game that shows a new picture at every click keeps its 100 steps) and
// unpacked when the game goes back to a step that shows it.
class History {
 public:
  explicit History(const formats::Compressor& compressor) : compressor_(compressor) {}

  static constexpr std::size_t kSteps = 100;
  static constexpr std::size_t kMaxSteps = 120;
  static constexpr std::size_t kMaxBytes = 30u << 20;

  // The game reached a new stop: the steps after the one it stands at go
  // (they were gone back over), and this one is the newest.
  void Record(formats::Snapshot step);
  // The game left the step it stood at.
  void Left() { at_step_ = false; }
  // The step to go back to: the one before when the game stands at a step,
  // else the one it last left. Null when there is none. Valid until the
  // next call.
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
  // A picture kept packed, shared by every step that shows it.
  struct PackedPicture {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> bytes;
  };
  // A snapshot whose pictures that are packed are empty in it, and found
  // at the same place in `packed`.
  struct Step {
    formats::Snapshot snapshot;
    std::vector<std::shared_ptr<const PackedPicture>> packed;
  };
  void PackPicturesLeftBehind();
  std::shared_ptr<const PackedPicture> PackPicture(const Bitmap& picture) const;
  // The step as it was taken, its pictures whole (in `whole_`); null if a
  // picture does not unpack.
  const formats::Snapshot* Whole(std::size_t index);

  const formats::Compressor& compressor_;
  std::deque<Step> steps_;
  std::size_t pos_ = 0;
  bool at_step_ = false;
  formats::PictureAnchors anchors_;
  formats::Snapshot whole_;
};

}  // namespace velmor::app
